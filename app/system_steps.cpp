#include "app/system_steps.h"

#include "install/plugin_package.h"
#include "restart/reboot_marker.h"

namespace orvex {

// The providers' setup is not part of this build yet: it fails with
// ERROR_CALL_NOT_IMPLEMENTED, so a run never reports an installation that
// did not happen.
Status SystemInstallSteps::InstallProvider(const WideString&, WideString, bool, bool, bool) noexcept {
  return kStatusCallNotImplemented;
}

Status SystemInstallSteps::InstallPluginPackage(WideString pluginArgs, bool silent, WideString& logPath,
                                                bool reinstall) noexcept {
  return orvex::InstallPluginPackage(platform_, static_cast<WideString&&>(pluginArgs), silent, logPath, reinstall);
}

SelectionOutcome SystemInstallSteps::ShowSelectionDialog() noexcept {
  return SelectionOutcome::kContinue;
}

Status SystemInstallSteps::QueryRebootMarker(bool& restartPending) noexcept {
  return orvex::QueryRebootMarker(platform_.registry, restartPending);
}

Status SystemInstallSteps::RemoveRebootMarker() noexcept {
  return orvex::RemoveRebootMarker(platform_.registry);
}

bool SystemInstallSteps::RestartSystem() noexcept {
  return orvex::RestartSystem(platform_.power);
}

}  // namespace orvex
