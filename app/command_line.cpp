#include "app/command_line.h"

namespace orvex {

namespace {

enum class Match { kExact, kIgnoreAsciiCase };

enum class Effect {
  kHelp,
  kSetFlag,
  kAppendValue,        // value, then a blank
  kAppendSpacedValue,  // a blank, the value, a blank
  kConsumeValue,       // the value is taken and dropped
};

enum class Condition { kAlways, kAfterCsp, kAfterUcsp };

struct SwitchRule {
  const char16_t* text;
  Match match;
  Condition condition;
  Effect effect;
  bool InstallOptions::*flag;
  WideString InstallOptions::*value;
};

// Tried in this order; the first rule that matches decides.
constexpr SwitchRule kRules[] = {
    {u"-help", Match::kIgnoreAsciiCase, Condition::kAlways, Effect::kHelp, nullptr, nullptr},
    {u"--help", Match::kIgnoreAsciiCase, Condition::kAlways, Effect::kHelp, nullptr, nullptr},
    {u"/help", Match::kIgnoreAsciiCase, Condition::kAlways, Effect::kHelp, nullptr, nullptr},
    {u"-csp", Match::kIgnoreAsciiCase, Condition::kAlways, Effect::kSetFlag, &InstallOptions::installCsp, nullptr},
    {u"-ucsp", Match::kIgnoreAsciiCase, Condition::kAlways, Effect::kSetFlag, &InstallOptions::installUcsp, nullptr},
    {u"-selectDlg", Match::kIgnoreAsciiCase, Condition::kAlways, Effect::kSetFlag, &InstallOptions::selectDialog,
     nullptr},
    {u"-silent", Match::kIgnoreAsciiCase, Condition::kAlways, Effect::kSetFlag, &InstallOptions::silent, nullptr},
    {u"-reinstall", Match::kExact, Condition::kAlways, Effect::kSetFlag, &InstallOptions::reinstall, nullptr},
    {u"-noupdate", Match::kExact, Condition::kAlways, Effect::kSetFlag, &InstallOptions::noUpdate, nullptr},
    {u"-norestart", Match::kIgnoreAsciiCase, Condition::kAlways, Effect::kSetFlag, &InstallOptions::noRestart,
     nullptr},
    {u"-CSPArgs", Match::kIgnoreAsciiCase, Condition::kAfterCsp, Effect::kAppendValue, nullptr,
     &InstallOptions::cspArgs},
    {u"-KC", Match::kIgnoreAsciiCase, Condition::kAfterCsp, Effect::kConsumeValue, nullptr, nullptr},
    {u"-Lang", Match::kIgnoreAsciiCase, Condition::kAfterCsp, Effect::kConsumeValue, nullptr, nullptr},
    {u"-UCSPArgs", Match::kIgnoreAsciiCase, Condition::kAfterUcsp, Effect::kAppendValue, nullptr,
     &InstallOptions::ucspArgs},
    {u"-OrvexArgs", Match::kIgnoreAsciiCase, Condition::kAlways, Effect::kAppendSpacedValue, nullptr,
     &InstallOptions::pluginArgs},
};

// Only A-Z and a-z fold; whole texts are compared, never prefixes.
char16_t FoldAscii(char16_t unit) noexcept {
  return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
}

bool Matches(const char16_t* argument, const SwitchRule& rule) noexcept {
  const char16_t* expected = rule.text;
  for (;; ++argument, ++expected) {
    const char16_t a = rule.match == Match::kExact ? *argument : FoldAscii(*argument);
    const char16_t e = rule.match == Match::kExact ? *expected : FoldAscii(*expected);
    if (a != e) return false;
    if (a == 0) return true;
  }
}

bool ConditionHolds(Condition condition, const InstallOptions& options) noexcept {
  switch (condition) {
    case Condition::kAlways:
      return true;
    case Condition::kAfterCsp:
      return options.installCsp;
    case Condition::kAfterUcsp:
      return options.installUcsp;
  }
  return false;
}

bool TakesValue(Effect effect) noexcept {
  return effect == Effect::kAppendValue || effect == Effect::kAppendSpacedValue || effect == Effect::kConsumeValue;
}

}  // namespace

ParseOutcome ParseArguments(ArgumentArray arguments, InstallOptions& options) noexcept {
  for (int index = 1; index < arguments.count; ++index) {
    const char16_t* argument = arguments.items[index];
    const SwitchRule* rule = nullptr;
    for (const SwitchRule& candidate : kRules) {
      if (Matches(argument, candidate) && ConditionHolds(candidate.condition, options)) {
        rule = &candidate;
        break;
      }
    }
    // A value switch in the last place has no value: same as unrecognised.
    if (rule == nullptr || rule->effect == Effect::kHelp ||
        (TakesValue(rule->effect) && index + 1 >= arguments.count)) {
      return ParseOutcome::kShowHelp;
    }
    switch (rule->effect) {
      case Effect::kSetFlag:
        options.*(rule->flag) = true;
        break;
      case Effect::kAppendSpacedValue:
        (options.*(rule->value)).Append(u" ");
        [[fallthrough]];
      case Effect::kAppendValue:
        (options.*(rule->value)).Append(arguments.items[index + 1]);
        (options.*(rule->value)).Append(u" ");
        ++index;
        break;
      case Effect::kConsumeValue:
        ++index;
        break;
      case Effect::kHelp:
        break;
    }
  }
  return ParseOutcome::kValid;
}

ParseOutcome ParseCommandLine(CommandLineSource& commandLine, InstallOptions& options) noexcept {
  const ArgumentArray arguments = commandLine.SplitArguments();
  const ParseOutcome outcome = ParseArguments(arguments, options);
  commandLine.ReleaseArguments(arguments);
  return outcome;
}

}  // namespace orvex
