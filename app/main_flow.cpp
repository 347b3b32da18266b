#include "app/main_flow.h"

#include "app/command_line.h"
#include "app/install_options.h"
#include "app/os_gate.h"
#include "install/failure_report.h"
#include "resources/message_catalogue.h"
#include "resources/message_ids.h"

namespace orvex {

namespace {

// The texts that depend on which providers were asked for, by
// (installCsp, installUcsp): neither, CSP, UCSP, both.
struct FlagMessages {
  std::uint32_t neither;
  std::uint32_t csp;
  std::uint32_t ucsp;
  std::uint32_t both;

  [[nodiscard]] std::uint32_t For(const InstallOptions& options) const noexcept {
    if (options.installCsp) return options.installUcsp ? both : csp;
    return options.installUcsp ? ucsp : neither;
  }
};

constexpr FlagMessages kConfirmation{kMsgConfirmPlugin, kMsgConfirmCsp, kMsgConfirmUcsp, kMsgConfirmCspUcsp};
constexpr FlagMessages kRestartQuestion{kMsgRestartPlugin, kMsgRestartCsp, kMsgRestartUcsp, kMsgRestartCspUcsp};
constexpr FlagMessages kClosing{kMsgDonePlugin, kMsgDoneCsp, kMsgDoneUcsp, kMsgDoneCspUcsp};

class Run {
 public:
  Run(Platform& platform, InstallSteps& steps) noexcept : platform_(platform), steps_(steps) {}

  std::uint32_t Execute(const char16_t* commandTail) noexcept;

 private:
  // Shows text (loaded from message unless it is already there) unless
  // silent; returns the answer, or silentAnswer in silent mode.
  int Show(std::uint32_t style, int silentAnswer) noexcept {
    if (options_.silent) return silentAnswer;
    return platform_.ui.ShowMessageBox(text_, caption_, style);
  }
  int ShowMessage(std::uint32_t message, std::uint32_t style, int silentAnswer) noexcept {
    LoadMessage(message, text_);
    return Show(style, silentAnswer);
  }

  std::uint32_t InstallProviders() noexcept;
  std::uint32_t Finish() noexcept;

  Platform& platform_;
  InstallSteps& steps_;
  InstallOptions options_;
  WideString caption_;
  WideString text_;
  WideString logPath_;
};

std::uint32_t Run::Execute(const char16_t* commandTail) noexcept {
  LoadMessage(kMsgCaption, caption_);

  if (commandTail != nullptr && commandTail[0] != 0 &&
      ParseCommandLine(platform_.commandLine, options_) == ParseOutcome::kShowHelp) {
    return ShowHelpAndExit(platform_.ui, options_);
  }

  if (!platform_.system.IsUserAnAdmin()) {
    ShowMessage(kMsgNotAdministrator, box::kIconError, box::kIdOk);
    return kExitNotAdministrator;
  }

  const std::uint32_t gate = CheckOperatingSystem(platform_.system, platform_.ui, options_.silent);
  if (gate != 0) return gate;

  platform_.installer.SetInternalUiNone();

  // A box that cannot be shown answers 0, which goes on like Yes.
  if (ShowMessage(kConfirmation.For(options_), box::kYesNo, box::kIdYes) == box::kIdNo) return 0;

  if (options_.selectDialog && options_.installCsp && !options_.silent &&
      steps_.ShowSelectionDialog() == SelectionOutcome::kCancelled) {
    return 0;
  }

  const std::uint32_t providers = InstallProviders();
  if (providers != 0) return providers;

  const Status plugin = steps_.InstallPluginPackage(options_.pluginArgs, options_.silent, logPath_, options_.reinstall);
  if (plugin == kStatusUserCancelled) return plugin;
  if (plugin != 0) {
    if (!options_.silent) {
      LoadMessage(kMsgPluginFailed, text_);
      AppendFailureDetails(text_, plugin, logPath_, platform_.files);
      (void)Show(box::kIconError, box::kIdOk);
    }
    return plugin;
  }
  return Finish();
}

std::uint32_t Run::InstallProviders() noexcept {
  if (options_.installCsp) {
    const Status status = steps_.InstallProvider(WideString(u"csp"), options_.cspArgs, options_.silent,
                                                 options_.reinstall, options_.noUpdate);
    if (status != 0) return status;
  }
  if (options_.installUcsp) {
    const Status status = steps_.InstallProvider(WideString(u"ucsp"), options_.ucspArgs, options_.silent,
                                                 options_.reinstall, options_.noUpdate);
    if (status != 0) return status;
  }
  return 0;
}

std::uint32_t Run::Finish() noexcept {
  bool restartPending = false;
  (void)steps_.QueryRebootMarker(restartPending);

  if (restartPending && !options_.noRestart) {
    // Removed before asking: a declined restart is not offered again.
    (void)steps_.RemoveRebootMarker();
    // A box that cannot be shown answers 0, which declines the restart.
    if (ShowMessage(kRestartQuestion.For(options_), box::kYesNo | box::kIconExclamation, box::kIdYes) !=
        box::kIdYes) {
      return 0;
    }
    if (steps_.RestartSystem()) return 0;
    ShowMessage(kMsgRestartFailed, box::kOk, box::kIdOk);
    return kExitRestartFailed;
  }

  ShowMessage(kClosing.For(options_), box::kOk, box::kIdOk);
  return 0;
}

}  // namespace

std::uint32_t RunBootstrapper(Platform& platform, InstallSteps& steps, const char16_t* commandTail) noexcept {
  Run run(platform, steps);
  return run.Execute(commandTail);
}

}  // namespace orvex
