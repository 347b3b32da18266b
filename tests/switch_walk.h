#pragma once

// The switches of both tables (app/switches.cpp, install/providers.cpp) as
// the native tests and the command-line fuzz target walk them, so that a new
// row is tried without a new test, and the options they reach as plain values.

#include <algorithm>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/switches.h"

namespace orvex::walk {

// Every option a switch reaches, as plain values.
struct Snapshot {
  ParseOutcome outcome;
  std::vector<bool> flags;
  std::vector<std::u16string> texts;
  bool operator==(const Snapshot& other) const {
    return outcome == other.outcome && flags == other.flags && texts == other.texts;
  }
};

// Calls flag(bool&) on every flag a switch sets and text(WideString&) on
// every text one fills (no two rows share one; the build checks), in the
// order of Snapshot: the rows' fields, then each provider's.
template <typename Options, typename Flag, typename Text>
void VisitOptions(Options& options, Flag flag, Text text) {
  for (std::size_t index = 0; index < kSwitchCount; ++index) {
    if (kSwitches[index].flag != nullptr) flag(options.*(kSwitches[index].flag));
  }
  for (int id = 0; id < kProviderCount; ++id) flag(options.installProvider[id]);
  for (std::size_t index = 0; index < kSwitchCount; ++index) {
    if (kSwitches[index].value != nullptr) text(options.*(kSwitches[index].value));
  }
  for (int id = 0; id < kProviderCount; ++id) text(options.providerArgs[id]);
}

inline Snapshot Take(ParseOutcome outcome, const InstallOptions& options) {
  Snapshot snapshot{outcome, {}, {}};
  VisitOptions(
      options, [&](bool value) { snapshot.flags.push_back(value); },
      [&](const WideString& text) { snapshot.texts.emplace_back(text.c_str(), text.Length()); });
  return snapshot;
}

inline constexpr std::size_t kNowhere = static_cast<std::size_t>(-1);

// A switch of either table, the provider it needs asked for first, and
// where its effect lands: the index of its flag or its text in a Snapshot.
struct AnySwitch {
  std::u16string text;
  Match match;
  Effect effect;
  int needs;           // kNoProvider or a ProviderId
  std::size_t target;  // kNowhere for a kind that sets nothing
};

[[nodiscard]] inline bool TakesValue(Effect effect) { return effect != Effect::kHelp && effect != Effect::kSetFlag; }

// The rows of kSwitches, then each provider's select and arguments switch.
inline std::vector<AnySwitch> AllSwitches() {
  InstallOptions probe;
  std::vector<const void*> flags, texts;
  VisitOptions(
      probe, [&](bool& flag) { flags.push_back(&flag); }, [&](WideString& text) { texts.push_back(&text); });
  const auto at = [](const std::vector<const void*>& fields, const void* field) {
    return static_cast<std::size_t>(std::find(fields.begin(), fields.end(), field) - fields.begin());
  };
  std::vector<AnySwitch> switches;
  for (std::size_t index = 0; index < kSwitchCount; ++index) {
    const SwitchRule& rule = kSwitches[index];
    const std::size_t target = rule.flag != nullptr    ? at(flags, &(probe.*(rule.flag)))
                               : rule.value != nullptr ? at(texts, &(probe.*(rule.value)))
                                                       : kNowhere;
    switches.push_back({rule.text, rule.match, rule.effect, rule.afterProvider ? rule.provider : kNoProvider, target});
  }
  for (int id = 0; id < kProviderCount; ++id) {
    switches.push_back({kProviders[id].selectSwitch, Match::kIgnoreAsciiCase, Effect::kSetFlag, kNoProvider,
                        at(flags, &probe.installProvider[id])});
    switches.push_back({kProviders[id].argsSwitch, Match::kIgnoreAsciiCase, Effect::kAppendValueAndBlank, id,
                        at(texts, &probe.providerArgs[id])});
  }
  return switches;
}

}  // namespace orvex::walk
