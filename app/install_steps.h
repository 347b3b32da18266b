#pragma once

#include "base/status.h"
#include "base/wide_string.h"

namespace orvex {

enum class SelectionOutcome {
  kContinue,   // "Далее": go on with the CSP
  kCancelled,  // "Отмена", Esc or the close box: the run ends with 0
};

// The installation and restart steps that the main flow calls, in its order.
class InstallSteps {
 public:
  // Runs subdirectory\Setup.exe; 0 when its exit code counts as success,
  // otherwise that code after the step's own error box (unless silent).
  [[nodiscard]] virtual Status InstallProvider(const WideString& subdirectory, WideString arguments, bool silent,
                                               bool reinstall, bool noUpdate) noexcept = 0;
  // Installs, updates or reinstalls the plug-in. 0 on success, 1602 when the
  // user cancelled or declined; logPath receives the installer log's path
  // when the step chose it.
  [[nodiscard]] virtual Status InstallPluginPackage(WideString pluginArgs, bool silent, WideString& logPath,
                                                    bool reinstall) noexcept = 0;
  [[nodiscard]] virtual SelectionOutcome ShowSelectionDialog() noexcept = 0;
  // Sets restartPending when the mark of a pending restart exists.
  virtual Status QueryRebootMarker(bool& restartPending) noexcept = 0;
  virtual Status RemoveRebootMarker() noexcept = 0;
  // True when Windows accepted the restart request.
  [[nodiscard]] virtual bool RestartSystem() noexcept = 0;

 protected:
  ~InstallSteps() = default;
};

}  // namespace orvex
