#pragma once

#include <cstdint>

#include "app/install_options.h"
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

// The help text; the provider switches are listed only when asked for.
[[nodiscard]] WideString BuildHelpText(bool installCsp, bool installUcsp) noexcept;

// Shows the help box (also in silent mode) and gives the exit code, 0, that
// the entry returns at once: the program's normal exit.
[[nodiscard]] std::uint32_t ShowHelpAndExit(Ui& ui, const InstallOptions& options) noexcept;

}  // namespace orvex
