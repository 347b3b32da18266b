// The command line parser on any argument list: no crash and no sanitizer
// report, and properties that hold whatever the switch tables say (each row
// alone is walked by the native tests, switch_walk.h):
// - the same list parses the same way again;
// - flags stay set and texts keep what they held, from a non-empty start;
// - an accepted list followed by any switch of the tables (and, for a kind
//   that takes one, any text as its value) asks for the help box where the
//   switch does not count; where it counts, it sets its flag or takes the
//   value as given into its text, after what the text held unless the kind
//   reads a value whole, with nothing else changed.
//
// Input: the arguments, separated by NUL bytes, as UTF-8 (any byte goes).
// The first is the program; it also gives the options' starting content.
// An argument of one byte from 1 to the number of switches stands for that
// switch of walk::AllSwitches(), so every switch is reached without a
// dictionary.

#include <string>
#include <vector>

#include "fake/fake_platform.h"
#include "fuzz_input.h"
#include "switch_walk.h"

namespace {

using orvex::InstallOptions;
using orvex::ParseOutcome;
using orvex::WideString;
namespace walk = orvex::walk;

// Starts from flags out of the program name's length and texts holding it
// (shared buffers that must come apart), then parses.
walk::Snapshot Parse(const std::vector<std::u16string>& arguments, InstallOptions& options) {
  const std::u16string start = arguments.empty() ? u"" : arguments[0];
  std::size_t bit = 0;
  const WideString text(start.c_str());
  walk::VisitOptions(
      options, [&](bool& flag) { flag = (start.size() >> bit++ & 1) != 0; }, [&](WideString& field) { field = text; });
  orvex::fake::FakeCommandLine commandLine(arguments);
  const ParseOutcome outcome = orvex::ParseCommandLine(commandLine, options);
  FUZZ_CHECK(commandLine.splits == 1 && commandLine.releases == 1);
  return walk::Take(outcome, options);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<walk::AnySwitch> switches = walk::AllSwitches();
  std::vector<std::u16string> arguments;
  if (size != 0) arguments = orvex::fuzz::SplitAtNul(data, size);  // empty input: a failed split
  for (std::size_t index = 1; index < arguments.size(); ++index) {
    std::u16string& argument = arguments[index];
    if (argument.size() == 1 && argument[0] >= 1 && argument[0] <= switches.size()) {
      argument = switches[argument[0] - 1u].text;
    }
  }
  const std::u16string start = arguments.empty() ? u"" : arguments[0];

  InstallOptions options;
  const walk::Snapshot parsed = Parse(arguments, options);
  const auto whole = [](const WideString& text) { FUZZ_CHECK(orvex::TextLength(text.c_str()) == text.Length()); };
  walk::VisitOptions(options, [](bool) {}, whole);
  InstallOptions again;
  FUZZ_CHECK(Parse(arguments, again) == parsed);

  InstallOptions initial;
  const walk::Snapshot before = Parse({start}, initial);
  for (std::size_t i = 0; i < parsed.flags.size(); ++i) FUZZ_CHECK(parsed.flags[i] || !before.flags[i]);
  for (std::size_t i = 0; i < parsed.texts.size(); ++i) {
    // A value read whole replaces what the field held; every other text grows.
    bool replaced = false;
    for (const walk::AnySwitch& s : switches) replaced |= s.effect == orvex::Effect::kSetValue && s.target == i;
    FUZZ_CHECK(replaced || parsed.texts[i].compare(0, start.size(), start) == 0);
  }

  if (parsed.outcome != ParseOutcome::kValid || arguments.empty()) return 0;
  const std::u16string value = arguments.back();
  for (const walk::AnySwitch& s : switches) {
    std::vector<std::u16string> longer = arguments;
    longer.push_back(s.text);
    const bool takesValue = walk::TakesValue(s.effect);
    if (takesValue) longer.push_back(value);
    InstallOptions extended;
    const walk::Snapshot after = Parse(longer, extended);
    const bool counts =
        s.effect != orvex::Effect::kHelp && (s.needs == orvex::kNoProvider || options.installProvider[s.needs]);
    walk::Snapshot expected = parsed;
    if (!counts) {
      expected.outcome = ParseOutcome::kShowHelp;
    } else if (s.effect == orvex::Effect::kSetFlag) {
      expected.flags.at(s.target) = true;
    } else if (takesValue && s.target != walk::kNowhere) {
      const std::u16string& held = parsed.texts.at(s.target);
      const std::u16string& text = after.texts.at(s.target);
      const std::size_t kept = s.effect == orvex::Effect::kSetValue ? 0 : held.size();
      FUZZ_CHECK(text.compare(0, kept, held, 0, kept) == 0 && text.find(value, kept) != std::u16string::npos);
      expected.texts.at(s.target) = text;
    }
    FUZZ_CHECK(after == expected);
  }
  return 0;
}
