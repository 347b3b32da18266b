#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/switches.h"
#include "expected_help.h"
#include "fake/fake_platform.h"

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

// Each flag switch of the tables, in its own spelling and with every letter's
// case turned: that sets its flag and nothing else, or, for an exact
// spelling, shows the help box.
TEST(CommandLine, FlagSwitchesSetTheirFlagAlone) {
  for (std::size_t index = 0; index < kSwitchCount; ++index) {
    const SwitchRule& rule = kSwitches[index];
    if (rule.effect == Effect::kSetFlag && !rule.afterProvider) {
      for (const bool turned : {false, true}) {
        std::u16string argument = rule.text;
        for (char16_t& unit : argument) {
          if (turned && ((unit | 0x20) >= u'a' && (unit | 0x20) <= u'z')) unit ^= 0x20;
        }
        SCOPED_TRACE(std::string(argument.begin(), argument.end()));
        const Parsed parsed = Parse({argument});
        if (turned && rule.match == Match::kExact) {
          EXPECT_EQ(parsed.outcome, ParseOutcome::kShowHelp);
          continue;
        }
        ASSERT_EQ(parsed.outcome, ParseOutcome::kValid);
        for (std::size_t other = 0; other < kSwitchCount; ++other) {
          if (kSwitches[other].flag != nullptr) {
            EXPECT_EQ(parsed.options.*(kSwitches[other].flag), other == index) << other;
          }
        }
        for (int id = 0; id < kProviderCount; ++id) EXPECT_FALSE(parsed.options.installProvider[id]);
      }
    }
  }
}

TEST(CommandLine, EachProvidersSwitchSelectsItAlone) {
  for (int id = 0; id < kProviderCount; ++id) {
    for (const bool upper : {false, true}) {
      std::u16string argument = kProviders[id].selectSwitch;
      for (char16_t& unit : argument) {
        if (upper && unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - 0x20);
      }
      const Parsed parsed = Parse({argument});
      ASSERT_EQ(parsed.outcome, ParseOutcome::kValid) << id;
      for (int other = 0; other < kProviderCount; ++other) {
        EXPECT_EQ(parsed.options.installProvider[other], other == id) << id;
      }
    }
  }
}

TEST(CommandLine, ArgumentsThatShowTheHelpBox) {
  const std::vector<std::vector<std::u16string>> cases = {
      {u"-help"},
      {u"--HELP"},
      {u"/Help"},
      {u"-?"},
      {u"/silent"},                 // only /help has the slash form
      {u"-Reinstall"},              // exact spelling only
      {u"-NOUPDATE"},
      {u"-sil"},                    // never a prefix
      {u"-silentx"},
      {u""},                        // an empty argument
      {u"-KC", u"KC2", u"-csp"},    // -KC before -csp
      {u"-CSPArgs", u"/qn"},        // without -csp
      {u"-csp", u"-UCSPArgs", u"/qn"},
      {u"-OrvexArgs"},              // value switch as the last argument
      {u"-csp", u"-CSPArgs"},
      {u"-csp", u"-Lang"},
      {u"-Lang", u"ru", u"-csp"},   // -Lang before -csp
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

TEST(CommandLine, ValueSwitchesAccumulateVerbatim) {
  Parsed parsed = Parse({u"-csp", u"-CSPArgs", u"a", u"-cspargs", u"b", u"-ucsp", u"-UCSPARGS", u"/qn",
                         u"-OrvexArgs", u"a", u"-ORVEXARGS", u"b"});
  ASSERT_EQ(parsed.outcome, ParseOutcome::kValid);
  EXPECT_EQ(Text(parsed.options.providerArgs[kCsp]), u"a b ");
  EXPECT_EQ(Text(parsed.options.providerArgs[kUcsp]), u"/qn ");
  EXPECT_EQ(Text(parsed.options.pluginArgs), u" a  b ");
}

TEST(CommandLine, AValueIsNeverTakenForASwitch) {
  Parsed parsed = Parse({u"-OrvexArgs", u"-silent", u"-csp", u"-KC", u"-help", u"-Lang", u"-ucsp"});
  ASSERT_EQ(parsed.outcome, ParseOutcome::kValid);
  EXPECT_EQ(Text(parsed.options.pluginArgs), u" -silent ");
  EXPECT_FALSE(parsed.options.silent);
  EXPECT_TRUE(parsed.options.installProvider[kCsp]);
  EXPECT_FALSE(parsed.options.installProvider[kUcsp]) << "-ucsp was the value of -Lang";
  EXPECT_EQ(Text(parsed.options.providerArgs[kCsp]), u"");
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

const std::u16string kHelpCommon = ORVEX_HELP_COMMON(u);
const std::u16string kHelpCspArgs = ORVEX_HELP_CSP_ARGS(u);
const std::u16string kHelpUcspArgs = ORVEX_HELP_UCSP_ARGS(u);
const std::u16string kHelpCspOthers = ORVEX_HELP_CSP_OTHERS(u);

TEST(HelpText, WholeTextByTheProvidersAskedFor) {
  const std::pair<std::vector<std::u16string>, std::u16string> cases[] = {
      {{u"-help"}, kHelpCommon},
      {{u"-selectDlg", u"-noupdate", u"-?"}, kHelpCommon},
      {{u"-csp", u"-?"}, kHelpCommon + kHelpCspArgs + kHelpCspOthers},
      {{u"-ucsp", u"-?"}, kHelpCommon + kHelpUcspArgs},
      {{u"-ucsp", u"-csp", u"/help"}, kHelpCommon + kHelpCspArgs + kHelpUcspArgs + kHelpCspOthers},
  };
  for (const auto& [arguments, expected] : cases) {
    const Parsed parsed = Parse(arguments);
    ASSERT_EQ(parsed.outcome, ParseOutcome::kShowHelp);
    EXPECT_EQ(Text(BuildHelpText(parsed.options)), expected) << arguments.size();
  }
}

TEST(HelpText, BoxHasItsOwnCaptionAndInformationIconEvenWhenSilent) {
  fake::FakeUi ui;
  InstallOptions options;
  options.silent = true;
  options.installProvider[kUcsp] = true;
  ShowHelp(ui, options);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].caption, u"Справка");
  EXPECT_EQ(ui.shown[0].style, box::kIconInformation);
  EXPECT_EQ(ui.shown[0].text, kHelpCommon + kHelpUcspArgs);
}

}  // namespace
}  // namespace orvex
