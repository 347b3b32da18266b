#pragma once

// The switches of both tables (app/switches.cpp, install/providers.cpp) as
// the native tests and the command-line fuzz target walk them, and the one
// model of what each effect kind does that both hold the parser to. A kind
// this model does not know fails to compile here (-Wswitch).

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/switches.h"

namespace orvex::walk {

// Every option a switch reaches, as plain values: flags, then texts.
struct Snapshot {
  ParseOutcome outcome;
  std::vector<bool> flags;
  std::vector<std::u16string> texts;
  bool operator==(const Snapshot& other) const {
    return outcome == other.outcome && flags == other.flags && texts == other.texts;
  }
};

// The fields the rows of kSwitches reach, each once, in the order of the rows.
struct Fields {
  std::vector<bool InstallOptions::*> flags;
  std::vector<WideString InstallOptions::*> texts;
};

inline Fields SwitchFields() {
  Fields fields;
  for (std::size_t index = 0; index < kSwitchCount; ++index) {
    const SwitchRule& rule = kSwitches[index];
    if (rule.flag != nullptr && std::count(fields.flags.begin(), fields.flags.end(), rule.flag) == 0) {
      fields.flags.push_back(rule.flag);
    }
    if (rule.value != nullptr && std::count(fields.texts.begin(), fields.texts.end(), rule.value) == 0) {
      fields.texts.push_back(rule.value);
    }
  }
  return fields;
}

// Calls flag(bool&) on every flag a switch sets and text(WideString&) on
// every text one fills, in the order of Snapshot: the rows' fields, then
// each provider's.
template <typename Options, typename Flag, typename Text>
void VisitOptions(Options& options, Flag flag, Text text) {
  const Fields fields = SwitchFields();
  for (const auto field : fields.flags) flag(options.*field);
  for (int id = 0; id < kProviderCount; ++id) flag(options.installProvider[id]);
  for (const auto field : fields.texts) text(options.*field);
  for (int id = 0; id < kProviderCount; ++id) text(options.providerArgs[id]);
}

inline Snapshot Take(ParseOutcome outcome, const InstallOptions& options) {
  Snapshot snapshot{outcome, {}, {}};
  VisitOptions(
      options, [&](bool value) { snapshot.flags.push_back(value); },
      [&](const WideString& text) { snapshot.texts.emplace_back(text.c_str(), text.Length()); });
  return snapshot;
}

// A switch of either table: where its effect lands in a Snapshot (the
// flag's or the text's index), and the provider it needs asked for first.
struct AnySwitch {
  std::u16string text;
  Match match;
  Effect effect;
  int needs;  // kNoProvider or a ProviderId
  std::size_t target;  // kNowhere for a kind that sets nothing
};

inline constexpr std::size_t kNowhere = static_cast<std::size_t>(-1);

[[nodiscard]] inline bool TakesValue(Effect effect) {
  switch (effect) {
    case Effect::kHelp:
    case Effect::kSetFlag:
      return false;
    case Effect::kAppendSpacedValue:
    case Effect::kAppendValueAndBlank:
    case Effect::kSetValue:
    case Effect::kConsumeValue:
      return true;
  }
  std::abort();  // a kind outside the enumeration
}

// The field after a switch of this kind was given value.
[[nodiscard]] inline std::u16string Apply(Effect effect, const std::u16string& field, const std::u16string& value) {
  switch (effect) {
    case Effect::kAppendSpacedValue:
      return field + u" " + value + u" ";
    case Effect::kAppendValueAndBlank:
      return field + value + u" ";
    case Effect::kSetValue:
      return value;
    case Effect::kHelp:
    case Effect::kSetFlag:
    case Effect::kConsumeValue:
      return field;
  }
  std::abort();
}

// Every switch: the rows of kSwitches, then each provider's select and
// arguments switches.
inline std::vector<AnySwitch> AllSwitches() {
  const Fields fields = SwitchFields();
  std::vector<AnySwitch> switches;
  for (std::size_t index = 0; index < kSwitchCount; ++index) {
    const SwitchRule& rule = kSwitches[index];
    const auto flag = std::find(fields.flags.begin(), fields.flags.end(), rule.flag) - fields.flags.begin();
    const auto text = std::find(fields.texts.begin(), fields.texts.end(), rule.value) - fields.texts.begin();
    const std::size_t target = static_cast<std::size_t>(rule.flag != nullptr ? flag : text);
    switches.push_back({rule.text, rule.match, rule.effect, rule.afterProvider ? rule.provider : kNoProvider,
                        rule.flag != nullptr || rule.value != nullptr ? target : kNowhere});
  }
  for (int id = 0; id < kProviderCount; ++id) {
    const Provider& provider = kProviders[id];
    switches.push_back({provider.selectSwitch, Match::kIgnoreAsciiCase, Effect::kSetFlag, kNoProvider,
                        fields.flags.size() + static_cast<std::size_t>(id)});
    switches.push_back({provider.argsSwitch, Match::kIgnoreAsciiCase, Effect::kAppendValueAndBlank, id,
                        fields.texts.size() + static_cast<std::size_t>(id)});
  }
  return switches;
}

}  // namespace orvex::walk
