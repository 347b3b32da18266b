#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// The flags, the providers' included, as one list to compare.
std::vector<bool> Flags(const InstallOptions& o) {
  return {o.installProvider[kCsp], o.installProvider[kUcsp], o.selectDialog, o.silent, o.noRestart, o.reinstall,
          o.noUpdate};
}

struct FlagCase {
  std::u16string argument;
  std::size_t flag;  // index into Flags
};

TEST(CommandLine, FlagSwitchesAndTheirLetterCase) {
  const FlagCase cases[] = {
      {u"-csp", 0},      {u"-CSP", 0},       {u"-ucsp", 1},      {u"-UcSp", 1},       {u"-selectDlg", 2},
      {u"-SELECTDLG", 2}, {u"-silent", 3},    {u"-Silent", 3},    {u"-norestart", 4},  {u"-NoRestart", 4},
      {u"-reinstall", 5}, {u"-noupdate", 6},
  };
  for (const FlagCase& c : cases) {
    const Parsed parsed = Parse({c.argument});
    ASSERT_EQ(parsed.outcome, ParseOutcome::kValid) << std::string(c.argument.begin(), c.argument.end());
    std::vector<bool> expected(7, false);
    expected[c.flag] = true;
    EXPECT_EQ(Flags(parsed.options), expected) << std::string(c.argument.begin(), c.argument.end());
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
