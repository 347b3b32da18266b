#pragma once

// The command line in two tables: the providers' own switches in their rows
// (install/providers.h), every other switch in kSwitches (app/switches.cpp).
// Parsing and the help text walk them; nothing else lists a switch.

#include <cstddef>
#include <cstdint>

#include "install/providers.h"

namespace orvex {

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
