#pragma once

#include "app/install_steps.h"
#include "platform/system.h"

namespace orvex {

// The installation and restart steps on the real system.
class SystemInstallSteps final : public InstallSteps {
 public:
  explicit SystemInstallSteps(Platform& platform) noexcept : platform_(platform) {}

  Status InstallProvider(const WideString& subdirectory, WideString arguments, bool silent, bool reinstall,
                         bool noUpdate) noexcept override;
  Status InstallPluginPackage(WideString pluginArgs, bool silent, WideString& logPath,
                              bool reinstall) noexcept override;
  SelectionOutcome ShowSelectionDialog() noexcept override;
  Status QueryRebootMarker(bool& restartPending) noexcept override;
  Status RemoveRebootMarker() noexcept override;
  bool RestartSystem() noexcept override;

 private:
  Platform& platform_;
};

}  // namespace orvex
