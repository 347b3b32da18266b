#pragma once

#include "app/install_steps.h"
#include "install/plugin_package.h"
#include "install/provider_setup.h"

namespace orvex {

// The installation steps on the real system.
class SystemInstallSteps final : public InstallSteps {
 public:
  explicit SystemInstallSteps(Platform& platform) noexcept : platform_(platform) {}

  Status InstallProvider(ProviderId provider, const InstallOptions& options) noexcept override {
    return orvex::InstallProvider(platform_, provider, options);
  }
  Status InstallPluginPackage(const InstallOptions& options, WideString& logPath) noexcept override {
    return orvex::InstallPluginPackage(platform_, options, logPath);
  }

 private:
  Platform& platform_;
};

}  // namespace orvex
