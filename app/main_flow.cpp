#include "app/main_flow.h"

#include "app/command_line.h"
#include "app/os_gate.h"
#include "install/failure_report.h"
#include "install/plugin_package.h"
#include "install/provider_setup.h"
#include "install/providers.h"
#include "resources/catalogue_box.h"
#include "restart/reboot_marker.h"

namespace orvex {

namespace {

// A box of the run itself: caption 104.
[[nodiscard]] constexpr CatalogueBox RunBox(std::uint32_t message, std::uint32_t style) noexcept {
  return {message, kMsgCaption, style};
}

class Run {
 public:
  explicit Run(Platform& platform) noexcept : platform_(platform) {}

  std::uint32_t Execute(const char16_t* commandTail) noexcept;

 private:
  int Show(std::uint32_t message, std::uint32_t style, int silentAnswer,
           const WideString& details = WideString()) noexcept {
    return ShowUnlessSilent(platform_.ui, options_.silent, RunBox(message, style), silentAnswer, details);
  }

  std::uint32_t InstallProviders() noexcept;
  std::uint32_t Finish(const RunTexts& texts) noexcept;

  Platform& platform_;
  InstallOptions options_;
};

std::uint32_t Run::Execute(const char16_t* commandTail) noexcept {
  if (commandTail != nullptr && commandTail[0] != 0 &&
      ParseCommandLine(platform_.commandLine, options_) == ParseOutcome::kShowHelp) {
    ShowHelp(platform_.ui, options_);
    return 0;
  }

  if (!platform_.system.IsUserAnAdmin()) {
    (void)Show(kMsgNotAdministrator, box::kIconError, box::kIdOk);
    return kExitNotAdministrator;
  }

  OsVersion windowsVersion;
  const std::uint32_t gate = CheckOperatingSystem(platform_.system, platform_.ui, options_, windowsVersion);
  if (gate != 0) return gate;

  platform_.installer.SetInternalUiNone();

  const RunTexts& texts = TextsForProviders(options_);
  // A box that cannot be shown answers 0, which goes on like Yes.
  if (Show(texts.confirmation, box::kYesNo, box::kIdYes) == box::kIdNo) return 0;

  // The dialog belongs to the CSP's setup; cancelling it ends the run.
  if (options_.selectDialog && options_.installProvider[kCsp] && !options_.silent &&
      !platform_.ui.ShowSelectionDialog()) {
    return 0;
  }

  const std::uint32_t providers = InstallProviders();
  if (providers != 0) return providers;

  WideString logPath;
  const Status plugin = InstallPluginPackage(platform_, options_, windowsVersion, logPath);
  if (plugin == kStatusUserCancelled) return plugin;
  if (plugin != 0) {
    if (!options_.silent) {
      (void)Show(kMsgPluginFailed, box::kIconError, box::kIdOk, FailureDetails(plugin, logPath, platform_.files));
    }
    return plugin;
  }
  return Finish(texts);
}

std::uint32_t Run::InstallProviders() noexcept {
  for (int id = 0; id < kProviderCount; ++id) {
    if (!options_.installProvider[id]) continue;
    const Status status = InstallProvider(platform_, static_cast<ProviderId>(id), options_);
    if (status != 0) return status;
  }
  return 0;
}

std::uint32_t Run::Finish(const RunTexts& texts) noexcept {
  bool restartPending = false;
  // Any failure to open the mark counts as no mark.
  (void)QueryRebootMarker(platform_.registry, restartPending);

  if (restartPending && !options_.noRestart) {
    // Removed before asking: a declined restart is not offered again. A mark
    // that cannot go does not keep the restart from being offered.
    (void)RemoveRebootMarker(platform_.registry);
    // A box that cannot be shown answers 0, which declines the restart.
    if (Show(texts.restartQuestion, box::kYesNo | box::kIconExclamation, box::kIdYes) != box::kIdYes) return 0;
    if (RestartSystem(platform_.power)) return 0;
    (void)Show(kMsgRestartFailed, box::kOk, box::kIdOk);
    return kExitRestartFailed;
  }

  (void)Show(texts.closing, box::kOk, box::kIdOk);
  return 0;
}

}  // namespace

std::uint32_t RunBootstrapper(Platform& platform, const char16_t* commandTail) noexcept {
  Run run(platform);
  return run.Execute(commandTail);
}

}  // namespace orvex
