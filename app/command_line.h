#pragma once

#include "install/install_options.h"
#include "platform/system.h"

namespace orvex {

enum class ParseOutcome {
  kValid,     // every argument recognised; options are complete
  kShowHelp,  // a help switch or an argument that is not recognised
};

// Reads the split command line (element 0, the program, is skipped) into
// options. Stops at the first argument that calls for the help box; what was
// recognised before it stays in options, which the help text depends on.
[[nodiscard]] ParseOutcome ParseArguments(ArgumentArray arguments, InstallOptions& options) noexcept;

// The same on the process command line as the platform splits it.
[[nodiscard]] ParseOutcome ParseCommandLine(CommandLineSource& commandLine, InstallOptions& options) noexcept;

// The help text; a provider's switches are listed only when it was asked for.
[[nodiscard]] WideString BuildHelpText(const InstallOptions& options) noexcept;

// The help box, shown also under -silent.
void ShowHelp(Ui& ui, const InstallOptions& options) noexcept;

}  // namespace orvex
