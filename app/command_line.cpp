#include "app/command_line.h"

#include "app/switches.h"

namespace orvex {

namespace {

// Only A-Z and a-z fold; whole texts are compared, never prefixes.
char16_t FoldAscii(char16_t unit) noexcept {
  return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
}

bool Matches(const char16_t* argument, const char16_t* expected, Match match) noexcept {
  for (;; ++argument, ++expected) {
    const char16_t a = match == Match::kExact ? *argument : FoldAscii(*argument);
    const char16_t e = match == Match::kExact ? *expected : FoldAscii(*expected);
    if (a != e) return false;
    if (a == 0) return true;
  }
}

enum class Step { kNext, kTakesValue, kUnrecognised };

// A provider's own switches.
Step ApplyProviderSwitch(const char16_t* argument, const char16_t* value, InstallOptions& options) noexcept {
  for (int id = 0; id < kProviderCount; ++id) {
    const Provider& provider = kProviders[id];
    if (Matches(argument, provider.selectSwitch, Match::kIgnoreAsciiCase)) {
      options.installProvider[id] = true;
      return Step::kNext;
    }
    if (options.installProvider[id] && Matches(argument, provider.argsSwitch, Match::kIgnoreAsciiCase)) {
      if (value == nullptr) return Step::kUnrecognised;
      ApplyValue(Effect::kAppendValueAndBlank, value, options.providerArgs[id]);
      return Step::kTakesValue;
    }
  }
  return Step::kUnrecognised;
}

Step ApplySwitch(const char16_t* argument, const char16_t* value, InstallOptions& options) noexcept {
  const Step provider = ApplyProviderSwitch(argument, value, options);
  if (provider != Step::kUnrecognised) return provider;
  for (std::size_t index = 0; index < kSwitchCount; ++index) {
    const SwitchRule& rule = kSwitches[index];
    if (!Matches(argument, rule.text, rule.match)) continue;
    if (rule.afterProvider && !options.installProvider[rule.provider]) return Step::kUnrecognised;
    switch (rule.effect) {
      case Effect::kHelp:
        return Step::kUnrecognised;
      case Effect::kSetFlag:
        options.*(rule.flag) = true;
        return Step::kNext;
      case Effect::kAppendSpacedValue:
      case Effect::kAppendValueAndBlank:
      case Effect::kSetValue:
        if (value == nullptr) return Step::kUnrecognised;
        ApplyValue(rule.effect, value, options.*(rule.value));
        return Step::kTakesValue;
      case Effect::kConsumeValue:
        return value == nullptr ? Step::kUnrecognised : Step::kTakesValue;
    }
  }
  return Step::kUnrecognised;
}

}  // namespace

ParseOutcome ParseArguments(ArgumentArray arguments, InstallOptions& options) noexcept {
  for (int index = 1; index < arguments.count; ++index) {
    // A value switch in the last place has no value: same as unrecognised.
    const char16_t* value = index + 1 < arguments.count ? arguments.items[index + 1] : nullptr;
    switch (ApplySwitch(arguments.items[index], value, options)) {
      case Step::kUnrecognised:
        return ParseOutcome::kShowHelp;
      case Step::kTakesValue:
        ++index;
        break;
      case Step::kNext:
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

WideString BuildHelpText(const InstallOptions& options) noexcept {
  WideString text(kHelpOpening);
  for (std::size_t index = 0; index < kSwitchCount; ++index) {
    const SwitchRule& rule = kSwitches[index];
    if (rule.provider == kNoProvider) text.Append(rule.help.text);
  }
  for (int id = 0; id < kProviderCount; ++id) {
    if (options.installProvider[id]) text.Append(kProviders[id].argsHelp);
  }
  for (std::size_t index = 0; index < kSwitchCount; ++index) {
    const SwitchRule& rule = kSwitches[index];
    if (rule.provider != kNoProvider && options.installProvider[rule.provider]) text.Append(rule.help.text);
  }
  return text;
}

void ShowHelp(Ui& ui, const InstallOptions& options) noexcept {
  (void)ui.ShowMessageBox(BuildHelpText(options), WideString(kHelpCaption), box::kIconInformation);
}

}  // namespace orvex
