#include "install/plugin_package.h"

#include "install/install_messages.h"
#include "install/package_search.h"
#include "install/plugin_msiexec.h"
#include "resources/message_ids.h"

namespace orvex {

namespace {

constexpr int kStateAbsent = 2;   // INSTALLSTATE_ABSENT
constexpr int kStateDefault = 5;  // INSTALLSTATE_DEFAULT

enum class Decision { kInstall, kSkip, kDeclined };

// What to do with an installed product, by the version order.
Decision DecideForInstalled(Ui& ui, int order, bool silent, bool reinstall) noexcept {
  if (order > 0) return Decision::kInstall;
  if (order < 0) {
    // Under silent the package is applied over the newer version.
    if (silent) return Decision::kInstall;
    (void)ShowCatalogueBox(ui, kMsgNewerInstalled, kMsgUpdateCaption, box::kOk | box::kIconError);
    return Decision::kSkip;
  }
  if (reinstall) return Decision::kInstall;
  if (silent) return Decision::kSkip;
  return ShowCatalogueBox(ui, kMsgReinstallQuestion, kMsgUpdateCaption, box::kYesNo) == box::kIdYes
             ? Decision::kInstall
             : Decision::kDeclined;
}

}  // namespace

Status InstallPluginPackage(Platform& platform, WideString pluginArgs, bool silent, WideString& logPath,
                            bool reinstall) noexcept {
  const WideString productCode(kPluginProductCode);
  WideString packagePattern(u"orvexcom");
  packagePattern.Append(platform.system.IsWindows64Bit() ? u"*x64*" : u"*win32*");
  WideString properties(static_cast<WideString&&>(pluginArgs));

  if (platform.installer.QueryProductState(productCode) != kStateDefault) {
    properties.Prepend(WideString(u" ADDNPORVEX=1"));
  } else {
    int order = 0;
    const Status status = ComparePackageVersion(platform, productCode, order);
    if (status != 0) return status;
    switch (DecideForInstalled(platform.ui, order, silent, reinstall)) {
      case Decision::kSkip:
        return 0;
      case Decision::kDeclined:
        return kStatusUserCancelled;
      case Decision::kInstall:
        break;
    }
    if (platform.installer.QueryFeatureState(productCode, WideString(u"NPORVEX")) == kStateAbsent) {
      properties.Prepend(WideString(u" COMPADDLOCAL={A7D2F4E6-3B51-4C8A-9E07-6F2B81C5D934}"));
    }
    properties.Prepend(WideString(u" REINSTALL=ALL REINSTALLMODE=vomus"));
  }

  // A quiet level of the user's own ("/qn", "/qb-", "/quiet") keeps ours away.
  if (properties.Find(u"/q") == WideString::npos) properties.Prepend(WideString(u" /qb"));
  return RunPluginMsiexec(platform, productCode, packagePattern, properties, silent, logPath);
}

}  // namespace orvex
