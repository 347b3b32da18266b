#include "install/plugin_package.h"

#include "resources/catalogue_box.h"
#include "install/installer_switches.h"
#include "install/log_path.h"
#include "install/package_search.h"
#include "restart/reboot_marker.h"

namespace orvex {

namespace {

enum class Decision { kInstall, kSkip, kDeclined };

// What to do with an installed product, by the version order.
Decision DecideForInstalled(Ui& ui, int order, const InstallOptions& options) noexcept {
  if (order > 0) return Decision::kInstall;
  if (order < 0) {
    // Under silent the package is applied over the newer version.
    if (options.silent) return Decision::kInstall;
    (void)ShowEvenIfSilent(ui, {kMsgNewerInstalled, kMsgUpdateCaption, box::kOk | box::kIconError});
    return Decision::kSkip;
  }
  if (options.reinstall) return Decision::kInstall;
  if (options.silent) return Decision::kSkip;
  return ShowEvenIfSilent(ui, {kMsgReinstallQuestion, kMsgUpdateCaption, box::kYesNo}) == box::kIdYes
             ? Decision::kInstall
             : Decision::kDeclined;
}

// How msiexec treats the product.
enum class Installation { kFresh, kUpdate, kUpdateAddingFeature };

// The whole msiexec command line, in the order it reads. logPath is empty
// when the user's options carry a log switch of their own.
WideString MsiexecCommandLine(const WideString& systemDirectory, const WideString& packagePath,
                              const WideString& logPath, Installation installation,
                              const WideString& userOptions) noexcept {
  WideString line(u"\"");
  line.Append(systemDirectory);
  line.Append(u"\\msiexec.exe\" /i \"");
  line.Append(packagePath);
  line.Append(u"\" ");
  if (logPath.Length() != 0) {
    line.Append(u"/Lv! \"");
    line.Append(logPath);
    line.Append(u"\"");
  }
  line.Append(u" REBOOT=R ");
  if (!HoldsQuietLevel(userOptions)) line.Append(u" /qb");
  if (installation == Installation::kFresh) {
    line.Append(u" ADDNPORVEX=1");
  } else {
    line.Append(u" REINSTALL=ALL REINSTALLMODE=vomus");
    if (installation == Installation::kUpdateAddingFeature) {
      line.Append(u" COMPADDLOCAL={A7D2F4E6-3B51-4C8A-9E07-6F2B81C5D934}");
    }
  }
  line.Append(userOptions);
  return line;
}

// The system directory, whole; 0 or the Windows error.
Status ReadSystemDirectory(Environment& environment, WideString& directory) noexcept {
  WideString read;
  char16_t* buffer = read.GetBuffer(kPathUnits);
  const std::uint32_t length = environment.SystemDirectory(buffer, kPathUnits - 1);
  if (length == 0) {
    const Status error = environment.LastError();
    return error != 0 ? error : kStatusPathTooLong;
  }
  // A larger answer is the size needed: the buffer holds no usable path.
  if (length >= kPathUnits - 1) return kStatusPathTooLong;
  read.ReleaseBuffer(length);
  directory = static_cast<WideString&&>(read);
  return 0;
}

// On Windows 5.2 the installer keeps a source hash of the product that
// would refuse the new package: it goes.
void RemoveSourceHashFile(Platform& platform, const OsVersion& windowsVersion, const WideString& productCode) noexcept {
  if (!IsWindows52(windowsVersion)) return;
  WideString path;
  (void)ReadEnvironmentText(platform.environment, u"WINDIR", path);
  path.Append(u"\\installer\\SourceHash");
  path.Append(productCode);
  (void)platform.files.RemoveFile(path);
}

}  // namespace

Status InstallPluginPackage(Platform& platform, const InstallOptions& options, const OsVersion& windowsVersion,
                            WideString& logPath) noexcept {
  const WideString productCode(kPluginProductCode);
  const WideString& userOptions = options.pluginArgs;

  // The installed product, the versions and the decision.
  Installation installation = Installation::kFresh;
  if (platform.installer.QueryProductState(productCode) == msi::kStateDefault) {
    int order = 0;
    const Status status = ComparePackageVersion(platform, productCode, order);
    if (status != 0) return status;
    switch (DecideForInstalled(platform.ui, order, options)) {
      case Decision::kSkip:
        return 0;
      case Decision::kDeclined:
        return kStatusUserCancelled;
      case Decision::kInstall:
        break;
    }
    installation = platform.installer.QueryFeatureState(productCode, WideString(u"NPORVEX")) == msi::kStateAbsent
                       ? Installation::kUpdateAddingFeature
                       : Installation::kUpdate;
  }

  // The package for this system's architecture.
  WideString pattern(kPackageStem);
  pattern.Append(platform.system.IsWindows64Bit() ? u"*x64*" : u"*win32*");
  WideString packagePath;
  WideString packageName;
  Status status = FindPackageFile(platform.files, platform.environment, pattern, packagePath, packageName);
  if (status != 0) {
    (void)ShowUnlessSilent(platform.ui, options.silent, InstallError(kMsgPackageNotFound));
    return status;
  }

  WideString ourLog;
  if (!HoldsLogSwitch(userOptions)) {
    status = BuildInstallLogPath(platform.environment, platform.ui, packageName, options.silent, ourLog);
    if (status != 0) return status;
    logPath = ourLog;
  }
  WideString systemDirectory;
  status = ReadSystemDirectory(platform.environment, systemDirectory);
  if (status != 0) {
    (void)ShowUnlessSilent(platform.ui, options.silent, InstallError(kMsgSystemDirectoryUnknown));
    return status;
  }
  const WideString commandLine =
      MsiexecCommandLine(systemDirectory, packagePath, ourLog, installation, userOptions);

  // Their results change nothing: on a first installation there is no
  // source list to act on.
  (void)platform.installer.SourceListClearAll(productCode);
  (void)platform.installer.SourceListSetInfo(productCode, msi::kMachineContext, msi::kProductCodeSource, u"PackageName",
                                             packageName);
  RemoveSourceHashFile(platform, windowsVersion, productCode);

  bool exitCodeRead = false;
  status = platform.processes.RunProcess(commandLine, exitCodeRead);
  // Only msiexec's own exit code asks for a restart, never a failed start.
  if (exitCodeRead &&
      (status == kStatusRebootInitiated || status == kStatusRebootRequired || status == kStatusRestartRequired)) {
    // The installation succeeded; a mark that cannot be made costs only the
    // offer of a restart.
    (void)CreateRebootMarker(platform.registry);
    return 0;
  }
  return status;
}

}  // namespace orvex
