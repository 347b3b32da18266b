#pragma once

// The command line in two tables (app/switches.cpp): the providers, one row
// each, and the other switches, one row each. Parsing, the help text and the
// run walk them; nothing else lists a switch.

#include <cstddef>
#include <cstdint>

#include "app/install_options.h"

namespace orvex {

// The boxes of a run that depend on which providers were asked for.
struct RunTexts {
  std::uint32_t confirmation;
  std::uint32_t restartQuestion;
  std::uint32_t closing;
};

struct Provider {
  const char16_t* subdirectory;  // below the current directory; holds Setup.exe
  const char16_t* selectSwitch;  // asks for the provider; any letter case
  const char16_t* argsSwitch;    // its Windows Installer options; only after selectSwitch
  const char16_t* argsHelp;      // help line of argsSwitch, listed once selectSwitch was given
  RunTexts texts;                // when it is the only provider asked for
};

extern const Provider kProviders[kProviderCount];

extern const RunTexts kPluginOnlyTexts;

// Runs with more than one provider: the texts by the set asked for (bit
// 1 << ProviderId). A set without a row takes its first provider's texts.
struct ProviderSetTexts {
  unsigned providers;
  RunTexts texts;
};
extern const ProviderSetTexts kProviderSetTexts[];
extern const std::size_t kProviderSetCount;

enum class Match { kExact, kIgnoreAsciiCase };

enum class Effect {
  kHelp,
  kSetFlag,
  kAppendSpacedValue,  // a blank, the value, a blank
  kConsumeValue,       // the value is taken and dropped
};

inline constexpr int kNoProvider = -1;

struct SwitchRule {
  const char16_t* text;
  Match match;
  Effect effect;
  bool InstallOptions::*flag;
  WideString InstallOptions::*value;
  // The provider the switch belongs to: its help line is listed only when
  // that provider was asked for.
  int provider;
  // Accepted only once provider was asked for; before, it is unrecognised.
  bool afterProvider;
  const char16_t* help;  // its help line; null: not listed
};

// In the order of the help text; no two rules match one argument.
extern const SwitchRule kSwitches[];
extern const std::size_t kSwitchCount;

// The help text's opening lines; the switches' lines follow: first those of
// no provider, then each asked-for provider's argsHelp, then the lines of
// the other switches of the providers asked for.
extern const char16_t kHelpOpening[];
extern const char16_t kHelpCaption[];

}  // namespace orvex
