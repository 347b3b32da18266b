#include "install/provider_setup.h"

#include "install/failure_report.h"
#include "install/log_path.h"
#include "resources/message_catalogue.h"
#include "resources/message_ids.h"

namespace orvex {

namespace {

// The exit codes of a provider's setup that let the run go on; 3010 is not
// among them.
bool ProviderSucceeded(Status code) noexcept {
  return code == 0 || code == 3 || code == 4 || code == 8 || code == kStatusUserCancelled;
}

}  // namespace

Status InstallProvider(Platform& platform, const WideString& subdirectory, WideString arguments, bool silent,
                       bool reinstall, bool noUpdate) noexcept {
  // Relative and unquoted: Windows finds the program below the current
  // directory.
  WideString commandLine(subdirectory);
  commandLine.Append(u"\\Setup.exe ");

  // Both decisions read the caller's arguments alone: a "/q" inside the TMP
  // path of our log switch is no quiet level.
  const bool ownQuietLevel = arguments.Find(u"/q") != WideString::npos;
  WideString logPath;
  if (!HoldsLogSwitch(arguments)) {
    const Status status = BuildInstallLogPath(platform.environment, platform.ui, subdirectory, silent, logPath);
    if (status != 0) return status;
    // Three quotation marks each side: inside the quoted -args value each
    // run stands for one quotation mark around the path.
    WideString logSwitch(u"/Lv! \"\"\"");
    logSwitch.Append(logPath);
    logSwitch.Append(u"\"\"\" ");
    arguments.Prepend(logSwitch);
  }
  if (!ownQuietLevel) arguments.Prepend(WideString(u"/qb "));

  commandLine.Append(u"-args \"");
  commandLine.Append(arguments);
  commandLine.Append(u"\" -noreboot -root");
  if (silent) commandLine.Append(u" -silent");
  if (reinstall) commandLine.Append(u" -reinstall");
  if (noUpdate) commandLine.Append(u" -noupdate");

  bool exitCodeRead = false;
  const Status code = platform.processes.RunProcess(commandLine, exitCodeRead);
  // A setup program that never ran has not succeeded, whatever the number
  // of the error (3, a missing directory, is also an accepted exit code).
  if (exitCodeRead && ProviderSucceeded(code)) return 0;
  if (!silent) {
    WideString text;
    WideString caption;
    LoadMessage(kMsgProviderFailed, text);
    LoadMessage(kMsgErrorCaption, caption);
    AppendFailureDetails(text, code, logPath, platform.files);
    (void)platform.ui.ShowMessageBox(text, caption, box::kOk | box::kIconError);
  }
  return code;
}

}  // namespace orvex
