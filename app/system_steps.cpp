#include "app/system_steps.h"

#include "install/plugin_package.h"
#include "install/provider_setup.h"
#include "restart/reboot_marker.h"

namespace orvex {

Status SystemInstallSteps::InstallProvider(const WideString& subdirectory, WideString arguments, bool silent,
                                           bool reinstall, bool noUpdate) noexcept {
  return orvex::InstallProvider(platform_, subdirectory, static_cast<WideString&&>(arguments), silent, reinstall,
                                noUpdate);
}

Status SystemInstallSteps::InstallPluginPackage(WideString pluginArgs, bool silent, WideString& logPath,
                                                bool reinstall) noexcept {
  return orvex::InstallPluginPackage(platform_, static_cast<WideString&&>(pluginArgs), silent, logPath, reinstall);
}

SelectionOutcome SystemInstallSteps::ShowSelectionDialog() noexcept {
  return platform_.ui.ShowSelectionDialog() ? SelectionOutcome::kContinue : SelectionOutcome::kCancelled;
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
