#include "app/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/switches.h"
#include "expected_help.h"
#include "fake/fake_platform.h"
#include "install/providers.h"
#include "readme.h"

namespace orvex {
// The switches of both tables (app/switches.cpp, install/providers.cpp), so
// that a new row is tried without a new test, and the options they reach as
// plain values.
namespace walk {

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

}  // namespace walk

namespace {

using fake::Text;

struct Parsed {
  ParseOutcome outcome;
  InstallOptions options;
};

Parsed Parse(std::vector<std::u16string> arguments) {
  arguments.insert(arguments.begin(), u"orvexplugin.exe");
  fake::FakeCommandLine commandLine(arguments);
  Parsed parsed{ParseOutcome::kValid, {}};
  parsed.outcome = ParseCommandLine(commandLine, parsed.options);
  EXPECT_EQ(commandLine.releases, 1) << "the split command line is released";
  return parsed;
}

std::u16string CaseTurned(std::u16string text) {
  for (char16_t& unit : text) {
    if ((unit | 0x20) >= u'a' && (unit | 0x20) <= u'z') unit ^= 0x20;
  }
  return text;
}

// Every switch of both tables, as written and with its letters' case turned:
// it shows the help box, leaving what came before it (a help switch, another
// spelling of an exact one, one before the provider it needs, a value switch
// without its value), or changes its own option alone, a value taken as
// given even when it looks like a switch.
TEST(CommandLine, EverySwitchChangesItsOptionAloneOrShowsTheHelpBox) {
  for (const walk::AnySwitch& s : walk::AllSwitches()) {
    for (const bool turned : {false, true}) {
      const std::u16string spelling = turned ? CaseTurned(s.text) : s.text;
      SCOPED_TRACE(std::string(spelling.begin(), spelling.end()));
      std::vector<std::u16string> arguments;
      if (s.needs != kNoProvider) arguments.push_back(kProviders[s.needs].selectSwitch);
      const Parsed before = Parse(arguments);
      const bool value = walk::TakesValue(s.effect);
      arguments.push_back(spelling);
      if (value) {
        EXPECT_EQ(Parse(arguments).outcome, ParseOutcome::kShowHelp) << "without its value";
      }
      if (s.needs != kNoProvider) {
        EXPECT_EQ(Parse({spelling, u"a"}).outcome, ParseOutcome::kShowHelp) << "before its provider";
      }
      if (value) arguments.push_back(u"-help");
      const Parsed parsed = Parse(arguments);
      const walk::Snapshot got = walk::Take(parsed.outcome, parsed.options);
      walk::Snapshot expected = walk::Take(ParseOutcome::kValid, before.options);
      if (s.effect == Effect::kHelp || (turned && s.match == Match::kExact)) {
        expected.outcome = ParseOutcome::kShowHelp;
      } else if (s.effect == Effect::kSetFlag) {
        expected.flags.at(s.target) = true;
      } else if (s.target != walk::kNowhere) {
        EXPECT_NE(got.texts.at(s.target).find(u"-help"), std::u16string::npos) << "the value as given";
        expected.texts.at(s.target) = got.texts.at(s.target);
      }
      EXPECT_EQ(got.outcome, expected.outcome);
      EXPECT_EQ(got.flags, expected.flags);
      EXPECT_EQ(got.texts, expected.texts);
    }
  }
}

// Arguments in, options out: each kind's rule on a switch given twice, and
// values that hold blanks or quotes, look like switches or are empty.
TEST(CommandLine, ArgumentsGiveTheirOptions) {
  const InstallOptions flags =
      Parse({u"-silent", u"-SILENT", u"-NoRestart", u"-reinstall", u"-noupdate", u"-selectdlg"}).options;
  EXPECT_TRUE(flags.silent && flags.noRestart && flags.reinstall && flags.noUpdate && flags.selectDialog);
  const Parsed plugin = Parse({u"-OrvexArgs", u"A=\"C:\\Program Files\"", u"-ORVEXARGS", u"-help"});
  EXPECT_EQ(Text(plugin.options.pluginArgs), u" A=\"C:\\Program Files\"  -help ");
  const Parsed csp = Parse({u"-csp", u"-CSPArgs", u"/qn", u"-cspargs", u"", u"-KC", u"-ucsp", u"-lang", u"-help"});
  EXPECT_EQ(csp.outcome, ParseOutcome::kValid);
  EXPECT_EQ(Text(csp.options.providerArgs[kCsp]), u"/qn  ");
  EXPECT_FALSE(csp.options.installProvider[kUcsp]) << "the value of -KC";
  EXPECT_EQ(Text(Parse({u"-UCSP", u"-UCSPArgs", u"/l*v x", u"-ucsp"}).options.providerArgs[kUcsp]), u"/l*v x ");
  // A value read whole, the kind's rule whether a row uses it or not: a later
  // value replaces an earlier one.
  WideString field(u"before");
  ApplyValue(Effect::kSetValue, u"A=\"C:\\Program Files\"", field);
  ApplyValue(Effect::kSetValue, u"/qn", field);
  EXPECT_EQ(Text(field), u"/qn");
}

// The README's command-line table names every switch of both tables, with
// VALUE after one that takes a value, and no other.
TEST(CommandLine, TheReadmeTableNamesEverySwitch) {
  std::set<std::string> switches;
  for (const walk::AnySwitch& s : walk::AllSwitches()) {
    switches.insert(std::string(s.text.begin(), s.text.end()) + (walk::TakesValue(s.effect) ? " VALUE" : ""));
  }
  EXPECT_EQ(readme::Switches(), switches);
}

TEST(CommandLine, ArgumentsThatShowTheHelpBox) {
  // What lies around the switches, and the rows held to what users have
  // always typed.
  const std::vector<std::vector<std::u16string>> cases = {
      {u"-?"},
      {u"-Reinstall"},              // exact spelling only
      {u"-NOUPDATE"},
      {u"-KC", u"KC2", u"-csp"},    // -KC before -csp
      {u"-Lang", u"ru", u"-csp"},
      {u"/silent"},                 // only /help has the slash form
      {u"-sil"},                    // never a prefix
      {u"-silentx"},
      {u""},                        // an empty argument
      {u"-silent", u"-help"},
      {u"-csp", u"-selectDlg", u"extra"},
      {u"-ucsp", u"-KC", u"KC2"},   // -KC and -Lang belong to the CSP
      {u"-ucsp", u"-CSPArgs", u"/qn"},
      {u"-csp", u"-"},
      {u"-csp", u"-cs"},
      {u"-\u0441sp"},              // a Cyrillic letter folds to nothing
  };
  for (const auto& arguments : cases) {
    EXPECT_EQ(Parse(arguments).outcome, ParseOutcome::kShowHelp) << arguments.size();
  }
}

TEST(CommandLine, WhatCameBeforeTheHelpSwitchIsKeptForTheHelpText) {
  Parsed parsed = Parse({u"-csp", u"-help", u"-ucsp"});
  EXPECT_EQ(parsed.outcome, ParseOutcome::kShowHelp);
  EXPECT_TRUE(parsed.options.installProvider[kCsp]);
  EXPECT_FALSE(parsed.options.installProvider[kUcsp]) << "parsing stops at the help switch";
}

TEST(CommandLine, NoArgumentsOrAFailedSplitAreValid) {
  EXPECT_EQ(Parse({}).outcome, ParseOutcome::kValid);
  InstallOptions options;
  EXPECT_EQ(ParseArguments(ArgumentArray{}, options), ParseOutcome::kValid);
}

const char16_t kHelpCommon[] = ORVEX_HELP_COMMON(u);
const char16_t* const kHelpProviders[kProviderCount][2] = ORVEX_HELP_PROVIDERS(u);

// For every set of providers, asked for in the reverse of their order.
TEST(HelpText, WholeTextByTheProvidersAskedFor) {
  for (unsigned set = 0; set < kProviderSetCount; ++set) {
    std::vector<std::u16string> arguments;
    for (int id = kProviderCount - 1; id >= 0; --id) {
      if ((set >> id & 1) != 0) arguments.push_back(kProviders[id].selectSwitch);
    }
    arguments.push_back(u"/help");
    const Parsed parsed = Parse(arguments);
    ASSERT_EQ(parsed.outcome, ParseOutcome::kShowHelp);
    EXPECT_EQ(Text(BuildHelpText(parsed.options)), ExpectedHelp(kHelpCommon, kHelpProviders, set)) << set;
  }
  // A provider's own switches list nothing without it.
  const Parsed parsed = Parse({u"-selectDlg", u"-noupdate", u"-?"});
  EXPECT_EQ(Text(BuildHelpText(parsed.options)), kHelpCommon);
}

}  // namespace
}  // namespace orvex
