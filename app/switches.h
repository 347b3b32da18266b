#pragma once

// The command line in two tables: the providers' own switches in their rows
// (install/providers.h), every other switch in kSwitches (app/switches.cpp).
// Parsing and the help text walk them; nothing else lists a switch.

#include <cstddef>
#include <cstdint>

#include "install/providers.h"

namespace orvex {

enum class Match { kExact, kIgnoreAsciiCase };

// What a switch does. The value kinds take the next argument, whatever it
// looks like, and put it into their field.
enum class Effect {
  kHelp,
  kSetFlag,
  kAppendSpacedValue,    // a blank, the value, a blank: options put into a command line
  kAppendValueAndBlank,  // the value, a blank: a provider's arguments switch
  kSetValue,             // the value as given, for a step that reads it whole; a later one replaces it
  kConsumeValue,         // the value is taken and dropped
};

inline constexpr int kNoProvider = -1;

// The help line of a switch that the help box leaves out.
inline constexpr char16_t kNotInHelp[] = u"";

// A switch's help line, or kNotInHelp; made from a text only, so a row
// without one, or with a null one, does not compile.
struct HelpLine {
  template <std::size_t N>
  constexpr HelpLine(const char16_t (&line)[N]) noexcept : text(line) {}  // from a text in the row
  const char16_t* text;
};

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
  HelpLine help;
};

// In the order of the help text; no two rules match one argument.
extern const SwitchRule kSwitches[];
extern const std::size_t kSwitchCount;

// Puts a switch's value into its field, as the value kinds of Effect say;
// other kinds leave it alone.
void ApplyValue(Effect effect, const char16_t* value, WideString& field) noexcept;

// The help text's opening lines; the switches' lines follow: first those of
// no provider, then each asked-for provider's argsHelp, then the lines of
// the other switches of the providers asked for.
extern const char16_t kHelpOpening[];
extern const char16_t kHelpCaption[];

}  // namespace orvex
