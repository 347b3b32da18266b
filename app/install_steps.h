#pragma once

#include "app/install_options.h"
#include "base/status.h"
#include "base/wide_string.h"

namespace orvex {

// The two installation steps of the run, apart so that the main flow can be
// tested without them.
class InstallSteps {
 public:
  // Runs the provider's Setup.exe; 0 when its exit code counts as success,
  // otherwise that code after the step's own error box (unless silent).
  [[nodiscard]] virtual Status InstallProvider(ProviderId provider, const InstallOptions& options) noexcept = 0;
  // Installs, updates or reinstalls the plug-in. 0 on success, 1602 when the
  // user declined; logPath receives the installer log's path when the step
  // chose it.
  [[nodiscard]] virtual Status InstallPluginPackage(const InstallOptions& options, WideString& logPath) noexcept = 0;

 protected:
  ~InstallSteps() = default;
};

}  // namespace orvex
