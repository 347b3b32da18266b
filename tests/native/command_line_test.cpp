#include "app/command_line.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/switches.h"
#include "expected_help.h"
#include "fake/fake_platform.h"
#include "install/providers.h"
#include "readme.h"
#include "switch_walk.h"

namespace orvex {
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

// Every switch of both tables, as written and with its letters' case turned,
// given twice (a value switch with values that look like switches or hold
// blanks): it does its effect as the walk's model says and nothing else, or
// shows the help box, leaving what came before it: a help switch, another
// spelling of an exact one, one before the provider it needs, a value
// switch without its value.
TEST(CommandLine, EverySwitchDoesItsEffectAloneOrShowsTheHelpBox) {
  for (const walk::AnySwitch& s : walk::AllSwitches()) {
    for (const bool turned : {false, true}) {
      const std::u16string spelling = turned ? CaseTurned(s.text) : s.text;
      SCOPED_TRACE(std::string(spelling.begin(), spelling.end()));
      std::vector<std::u16string> arguments;
      if (s.needs != kNoProvider) arguments.push_back(kProviders[s.needs].selectSwitch);
      const Parsed before = Parse(arguments);
      const bool value = walk::TakesValue(s.effect);
      if (value) {
        std::vector<std::u16string> last = arguments;
        last.push_back(spelling);
        EXPECT_EQ(Parse(last).outcome, ParseOutcome::kShowHelp) << "without its value";
      }
      if (s.needs != kNoProvider) {
        EXPECT_EQ(Parse({spelling, u"a"}).outcome, ParseOutcome::kShowHelp) << "before its provider";
      }
      walk::Snapshot expected = walk::Take(ParseOutcome::kValid, before.options);
      const walk::Snapshot unchanged = walk::Take(ParseOutcome::kShowHelp, before.options);
      for (const char16_t* given : {u"-help", u" a /qn"}) {
        arguments.push_back(spelling);
        if (value) arguments.push_back(given);
        if (s.effect == Effect::kSetFlag) expected.flags.at(s.target) = true;
        if (s.target != walk::kNowhere && value) {
          expected.texts.at(s.target) = walk::Apply(s.effect, expected.texts.at(s.target), given);
        }
      }
      const bool counts = s.effect != Effect::kHelp && !(turned && s.match == Match::kExact);
      const Parsed parsed = Parse(arguments);
      const walk::Snapshot got = walk::Take(parsed.outcome, parsed.options);
      const walk::Snapshot& want = counts ? expected : unchanged;
      EXPECT_EQ(got.outcome, want.outcome);
      EXPECT_EQ(got.flags, want.flags);
      EXPECT_EQ(got.texts, want.texts);
    }
  }
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

// Each kind that takes a value, whether a row uses it yet or not, fills its
// field as the walk's model says.
TEST(CommandLine, EachValueKindFillsItsField) {
  for (const Effect effect : {Effect::kAppendSpacedValue, Effect::kAppendValueAndBlank, Effect::kSetValue,
                              Effect::kConsumeValue}) {
    WideString field(u"before");
    for (const char16_t* value : {u"A=\"C:\\Program Files\"", u"", u"/qn "}) {
      const std::u16string expected = walk::Apply(effect, Text(field), value);
      ApplyValue(effect, value, field);
      EXPECT_EQ(Text(field), expected) << static_cast<int>(effect);
    }
  }
}

TEST(CommandLine, ArgumentsThatShowTheHelpBox) {
  // The walk above follows the rows; these hold the rows themselves to what
  // users have always typed, and try what lies around the switches.
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

TEST(HelpText, BoxHasItsOwnCaptionAndInformationIconEvenWhenSilent) {
  fake::FakeUi ui;
  InstallOptions options;
  options.silent = true;
  options.installProvider[kUcsp] = true;
  ShowHelp(ui, options);
  ASSERT_EQ(ui.shown().size(), 1u);
  EXPECT_EQ(ui.shown()[0].caption, u"Справка");
  EXPECT_EQ(ui.shown()[0].style, box::kIconInformation);
  EXPECT_EQ(ui.shown()[0].text, ExpectedHelp(kHelpCommon, kHelpProviders, 1u << kUcsp));
}

}  // namespace
}  // namespace orvex
