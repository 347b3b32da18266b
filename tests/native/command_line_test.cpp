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
  // No switch reads a value whole yet; its rule: a later value replaces an earlier one.
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
