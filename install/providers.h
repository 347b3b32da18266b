#pragma once

// The providers, one row each, and the boxes of a run by the providers asked
// for. The command line, the help text, the installation and the main flow
// walk these tables; nothing else lists a provider.

#include <cstddef>
#include <cstdint>

#include "install/install_options.h"

namespace orvex {

struct Provider {
  const char16_t* subdirectory;  // below the current directory; holds Setup.exe
  const char16_t* selectSwitch;  // asks for the provider; any letter case
  const char16_t* argsSwitch;    // its Windows Installer options; only after selectSwitch
  const char16_t* argsHelp;      // help line of argsSwitch, listed once selectSwitch was given
};

extern const Provider kProviders[kProviderCount];

// The question, the restart question and the closing message of a run.
struct RunTexts {
  std::uint32_t confirmation;
  std::uint32_t restartQuestion;
  std::uint32_t closing;
};

// Every set of providers (bit 1 << ProviderId; 0, the plug-in alone,
// included) has its own row, which the build checks: a new provider's
// combinations cannot fall back on another set's texts unnoticed.
inline constexpr std::size_t kProviderSetCount = std::size_t{1} << kProviderCount;

[[nodiscard]] const RunTexts& TextsForProviders(const InstallOptions& options) noexcept;

}  // namespace orvex
