#include "install/provider_setup.h"

#include "install/failure_report.h"
#include "install/installer_switches.h"
#include "install/log_path.h"
#include "install/providers.h"
#include "resources/catalogue_box.h"

namespace orvex {

namespace {

// The exit codes of a provider's setup that let the run go on; 3010 is not
// among them.
bool ProviderSucceeded(Status code) noexcept {
  return code == 0 || code == 3 || code == 4 || code == 8 || code == kStatusUserCancelled;
}

}  // namespace

Status InstallProvider(Platform& platform, ProviderId provider, const InstallOptions& options) noexcept {
  const WideString subdirectory(kProviders[provider].subdirectory);
  const WideString& arguments = options.providerArgs[provider];

  WideString logPath;
  if (!HoldsLogSwitch(arguments)) {
    const Status status =
        BuildInstallLogPath(platform.environment, platform.ui, subdirectory, options.silent, logPath);
    if (status != 0) return status;
  }

  // Relative and unquoted: Windows finds the program below the current
  // directory.
  WideString commandLine(subdirectory);
  commandLine.Append(u"\\Setup.exe -args \"");
  if (!HoldsQuietLevel(arguments)) commandLine.Append(u"/qb ");
  if (logPath.Length() != 0) {
    // Three quotation marks each side: inside the quoted -args value each
    // run stands for one quotation mark around the path.
    commandLine.Append(u"/Lv! \"\"\"");
    commandLine.Append(logPath);
    commandLine.Append(u"\"\"\" ");
  }
  commandLine.Append(arguments);
  commandLine.Append(u"\" -noreboot -root");
  if (options.silent) commandLine.Append(u" -silent");
  if (options.reinstall) commandLine.Append(u" -reinstall");
  if (options.noUpdate) commandLine.Append(u" -noupdate");

  bool exitCodeRead = false;
  const Status code = platform.processes.RunProcess(commandLine, exitCodeRead);
  // A setup program that never ran has not succeeded, whatever the number
  // of the error (3, a missing directory, is also an accepted exit code).
  if (exitCodeRead && ProviderSucceeded(code)) return 0;
  (void)ShowUnlessSilent(platform.ui, options.silent, InstallError(kMsgProviderFailed), box::kIdOk,
                         FailureDetails(code, logPath, platform.files));
  return code;
}

}  // namespace orvex
