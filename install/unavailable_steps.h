#pragma once

#include "app/install_steps.h"

namespace orvex {

// Stands in for installation and restart steps that this build does not
// carry yet. Every step fails with ERROR_CALL_NOT_IMPLEMENTED, so a run can
// never report an installation that did not happen.
class UnavailableInstallSteps final : public InstallSteps {
 public:
  Status InstallProvider(const WideString&, WideString, bool, bool, bool) noexcept override {
    return kStatusCallNotImplemented;
  }
  Status InstallPluginPackage(WideString, bool, WideString&, bool) noexcept override {
    return kStatusCallNotImplemented;
  }
  SelectionOutcome ShowSelectionDialog() noexcept override { return SelectionOutcome::kContinue; }
  Status QueryRebootMarker(bool& restartPending) noexcept override {
    restartPending = false;
    return kStatusCallNotImplemented;
  }
  Status RemoveRebootMarker() noexcept override { return kStatusCallNotImplemented; }
  bool RestartSystem() noexcept override { return false; }
};

}  // namespace orvex
