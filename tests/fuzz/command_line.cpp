// The command line parser on any argument list: no crash and no sanitizer
// report, and properties that hold whatever the switch tables say (the
// tables' own rows are checked by the native tests):
// - the same list parses the same way again;
// - flags stay set and strings only grow, from a non-empty start;
// - a value switch takes exactly the next argument, whatever it looks like:
//   an accepted list followed by a value switch and any text stays accepted
//   where the switch counts, the text reaches that switch's option and
//   nothing else changes; where it does not count, the help box is asked for.
//
// Input: the arguments, separated by NUL bytes, as UTF-8 (any byte goes).
// The first is the program; it also gives the options' starting content.

#include <algorithm>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/switches.h"
#include "fake/fake_platform.h"
#include "fuzz_input.h"

namespace {

using orvex::InstallOptions;
using orvex::ParseOutcome;
using orvex::WideString;

// Every option as plain values, the flags first.
struct Snapshot {
  ParseOutcome outcome;
  std::vector<bool> flags;
  std::vector<std::u16string> texts;
  bool operator==(const Snapshot& other) const {
    return outcome == other.outcome && flags == other.flags && texts == other.texts;
  }
};

std::vector<bool InstallOptions::*> FlagFields() {
  std::vector<bool InstallOptions::*> fields;
  for (std::size_t index = 0; index < orvex::kSwitchCount; ++index) {
    if (orvex::kSwitches[index].flag != nullptr) fields.push_back(orvex::kSwitches[index].flag);
  }
  return fields;
}

// The value fields of the switches, each once.
std::vector<WideString InstallOptions::*> ValueFields() {
  std::vector<WideString InstallOptions::*> fields;
  for (std::size_t index = 0; index < orvex::kSwitchCount; ++index) {
    const auto field = orvex::kSwitches[index].value;
    if (field != nullptr && std::find(fields.begin(), fields.end(), field) == fields.end()) fields.push_back(field);
  }
  return fields;
}

Snapshot Take(ParseOutcome outcome, const InstallOptions& options) {
  Snapshot snapshot{outcome, {}, {}};
  for (const auto field : FlagFields()) snapshot.flags.push_back(options.*field);
  for (int id = 0; id < orvex::kProviderCount; ++id) {
    snapshot.flags.push_back(options.installProvider[id]);
    snapshot.texts.push_back(orvex::fuzz::Text(options.providerArgs[id]));
  }
  for (const auto field : ValueFields()) snapshot.texts.push_back(orvex::fuzz::Text(options.*field));
  return snapshot;
}

// Starts from flags out of the program name's length and strings holding
// its text (shared buffers that must come apart), then parses.
Snapshot Parse(const std::vector<std::u16string>& arguments, InstallOptions& options) {
  const std::u16string start = arguments.empty() ? u"" : arguments[0];
  std::size_t bit = 0;
  for (const auto field : FlagFields()) options.*field = (start.size() >> bit++ & 1) != 0;
  const WideString text(start.c_str());
  for (int id = 0; id < orvex::kProviderCount; ++id) {
    options.installProvider[id] = (start.size() >> bit++ & 1) != 0;
    options.providerArgs[id] = text;
  }
  for (const auto field : ValueFields()) options.*field = text;
  orvex::fake::FakeCommandLine commandLine(arguments);
  const ParseOutcome outcome = orvex::ParseCommandLine(commandLine, options);
  FUZZ_CHECK(commandLine.splits == 1 && commandLine.releases == 1);
  return Take(outcome, options);
}

// A value switch and where its value goes: the index into Snapshot::texts,
// or -1 for a value that is taken and dropped.
struct ValueSwitch {
  const char16_t* text;
  int provider;  // the one it needs asked for first, or kNoProvider
  int target;
};

std::vector<ValueSwitch> ValueSwitches() {
  std::vector<ValueSwitch> switches;
  for (int id = 0; id < orvex::kProviderCount; ++id) switches.push_back({orvex::kProviders[id].argsSwitch, id, id});
  for (std::size_t index = 0; index < orvex::kSwitchCount; ++index) {
    const orvex::SwitchRule& rule = orvex::kSwitches[index];
    if (rule.effect == orvex::Effect::kAppendSpacedValue) {
      const auto fields = ValueFields();
      const int field = static_cast<int>(std::find(fields.begin(), fields.end(), rule.value) - fields.begin());
      switches.push_back({rule.text, rule.afterProvider ? rule.provider : orvex::kNoProvider,
                          orvex::kProviderCount + field});
    } else if (rule.effect == orvex::Effect::kConsumeValue) {
      switches.push_back({rule.text, rule.afterProvider ? rule.provider : orvex::kNoProvider, -1});
    }
  }
  return switches;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::u16string> arguments;
  if (size != 0) arguments = orvex::fuzz::SplitAtNul(data, size);  // empty input: a failed split
  const std::u16string start = arguments.empty() ? u"" : arguments[0];

  InstallOptions options;
  const Snapshot parsed = Parse(arguments, options);
  for (const auto field : ValueFields()) {
    FUZZ_CHECK(orvex::TextLength((options.*field).c_str()) == (options.*field).Length());
  }
  InstallOptions again;
  FUZZ_CHECK(Parse(arguments, again) == parsed);

  InstallOptions initial;
  const Snapshot before = Parse({start}, initial);
  for (std::size_t i = 0; i < parsed.flags.size(); ++i) FUZZ_CHECK(parsed.flags[i] || !before.flags[i]);
  for (const std::u16string& text : parsed.texts) FUZZ_CHECK(text.compare(0, start.size(), start) == 0);

  if (parsed.outcome != ParseOutcome::kValid || arguments.empty()) return 0;
  const std::u16string value = arguments.back();
  for (const ValueSwitch& valueSwitch : ValueSwitches()) {
    std::vector<std::u16string> longer = arguments;
    longer.insert(longer.end(), {valueSwitch.text, value});
    InstallOptions extended;
    Snapshot after = Parse(longer, extended);
    const bool counts = valueSwitch.provider == orvex::kNoProvider ||
                        parsed.flags[FlagFields().size() + static_cast<std::size_t>(valueSwitch.provider)];
    FUZZ_CHECK(after.outcome == (counts ? ParseOutcome::kValid : ParseOutcome::kShowHelp));
    if (!counts) continue;
    if (valueSwitch.target >= 0) {
      std::u16string& grown = after.texts[static_cast<std::size_t>(valueSwitch.target)];
      const std::u16string& was = parsed.texts[static_cast<std::size_t>(valueSwitch.target)];
      FUZZ_CHECK(grown.compare(0, was.size(), was) == 0 && grown.find(value, was.size()) != std::u16string::npos &&
                 grown.size() <= was.size() + value.size() + 2);
      grown = was;
    }
    FUZZ_CHECK(after == parsed);  // nothing else changed
  }
  return 0;
}
