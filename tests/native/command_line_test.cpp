#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

struct FlagCase {
  std::vector<std::u16string> arguments;
  bool InstallOptions::*flag;
};

TEST(CommandLine, FlagSwitchesAndTheirLetterCase) {
  const FlagCase cases[] = {
      {{u"-csp"}, &InstallOptions::installCsp},        {{u"-CSP"}, &InstallOptions::installCsp},
      {{u"-ucsp"}, &InstallOptions::installUcsp},      {{u"-UcSp"}, &InstallOptions::installUcsp},
      {{u"-selectDlg"}, &InstallOptions::selectDialog}, {{u"-SELECTDLG"}, &InstallOptions::selectDialog},
      {{u"-silent"}, &InstallOptions::silent},         {{u"-Silent"}, &InstallOptions::silent},
      {{u"-norestart"}, &InstallOptions::noRestart},   {{u"-NoRestart"}, &InstallOptions::noRestart},
      {{u"-reinstall"}, &InstallOptions::reinstall},   {{u"-noupdate"}, &InstallOptions::noUpdate},
  };
  const bool InstallOptions::*all[] = {&InstallOptions::installCsp,   &InstallOptions::installUcsp,
                                       &InstallOptions::selectDialog, &InstallOptions::silent,
                                       &InstallOptions::noRestart,    &InstallOptions::reinstall,
                                       &InstallOptions::noUpdate};
  for (const FlagCase& c : cases) {
    const Parsed parsed = Parse(c.arguments);
    ASSERT_EQ(parsed.outcome, ParseOutcome::kValid) << std::string(c.arguments[0].begin(), c.arguments[0].end());
    for (auto flag : all) EXPECT_EQ(parsed.options.*flag, flag == c.flag);
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
  };
  for (const auto& arguments : cases) {
    EXPECT_EQ(Parse(arguments).outcome, ParseOutcome::kShowHelp) << arguments.size();
  }
}

TEST(CommandLine, ValueSwitchesAccumulateVerbatim) {
  Parsed parsed = Parse({u"-csp", u"-CSPArgs", u"a", u"-cspargs", u"b", u"-ucsp", u"-UCSPARGS", u"/qn",
                         u"-OrvexArgs", u"a", u"-ORVEXARGS", u"b"});
  ASSERT_EQ(parsed.outcome, ParseOutcome::kValid);
  EXPECT_EQ(Text(parsed.options.cspArgs), u"a b ");
  EXPECT_EQ(Text(parsed.options.ucspArgs), u"/qn ");
  EXPECT_EQ(Text(parsed.options.pluginArgs), u" a  b ");
}

TEST(CommandLine, AValueIsNeverTakenForASwitch) {
  Parsed parsed = Parse({u"-OrvexArgs", u"-silent", u"-csp", u"-KC", u"-help", u"-Lang", u"-ucsp"});
  ASSERT_EQ(parsed.outcome, ParseOutcome::kValid);
  EXPECT_EQ(Text(parsed.options.pluginArgs), u" -silent ");
  EXPECT_FALSE(parsed.options.silent);
  EXPECT_TRUE(parsed.options.installCsp);
  EXPECT_FALSE(parsed.options.installUcsp) << "-ucsp was the value of -Lang";
  EXPECT_EQ(Text(parsed.options.cspArgs), u"");
}

TEST(CommandLine, WhatCameBeforeTheHelpSwitchIsKeptForTheHelpText) {
  Parsed parsed = Parse({u"-csp", u"-help", u"-ucsp"});
  EXPECT_EQ(parsed.outcome, ParseOutcome::kShowHelp);
  EXPECT_TRUE(parsed.options.installCsp);
  EXPECT_FALSE(parsed.options.installUcsp) << "parsing stops at the help switch";
}

TEST(CommandLine, NoArgumentsOrAFailedSplitAreValid) {
  EXPECT_EQ(Parse({}).outcome, ParseOutcome::kValid);
  InstallOptions options;
  EXPECT_EQ(ParseArguments(ArgumentArray{}, options), ParseOutcome::kValid);
}

struct HelpCase {
  bool csp;
  bool ucsp;
  std::vector<std::u16string> present;
  std::vector<std::u16string> absent;
};

TEST(HelpText, ListsProviderSwitchesOnlyWhenAskedFor) {
  const HelpCase cases[] = {
      {false, false, {}, {u"-cspargs", u"-ucspargs", u"-selectDlg", u"-KC", u"-Lang"}},
      {true, false, {u"-cspargs", u"-selectDlg", u"-KC", u"-Lang"}, {u"-ucspargs"}},
      {false, true, {u"-ucspargs"}, {u"-cspargs", u"-selectDlg", u"-KC", u"-Lang"}},
      {true, true, {u"-cspargs", u"-ucspargs", u"-selectDlg", u"-KC", u"-Lang"}, {}},
  };
  for (const HelpCase& c : cases) {
    const std::u16string text = Text(BuildHelpText(c.csp, c.ucsp));
    EXPECT_EQ(text.rfind(u"Установщик Велтон ЭЦП Browser plug-in.\n", 0), 0u);
    for (const auto& word : {u"  -?\t", u"  -orvexargs", u"  -reinstall", u"  -silent", u"  -norestart"}) {
      EXPECT_NE(text.find(word), std::u16string::npos);
    }
    for (const auto& word : c.present) EXPECT_NE(text.find(u"  " + word), std::u16string::npos);
    for (const auto& word : c.absent) EXPECT_EQ(text.find(u"  " + word), std::u16string::npos);
    for (const auto& word : {u"-csp\t", u"-ucsp\t", u"-noupdate", u"-help"}) {
      EXPECT_EQ(text.find(word), std::u16string::npos);
    }
  }
  // The pieces keep their order: plug-in switches, then CSP, UCSP, dialog, level, language.
  const std::u16string both = Text(BuildHelpText(true, true));
  std::size_t last = 0;
  for (const auto& word : {u"-orvexargs", u"-reinstall", u"-silent", u"-norestart", u"-cspargs", u"-ucspargs",
                           u"-selectDlg", u"-KC", u"-Lang"}) {
    const std::size_t at = both.find(word);
    ASSERT_NE(at, std::u16string::npos);
    EXPECT_GT(at, last);
    last = at;
  }
  const std::u16string lastPiece = u"  -Lang\t\t\tязык Велтон CSP\n";
  EXPECT_EQ(both.substr(both.size() - lastPiece.size()), lastPiece);
}

TEST(HelpText, BoxHasItsOwnCaptionAndInformationIcon) {
  fake::FakeUi ui;
  InstallOptions options;
  options.silent = true;
  options.installUcsp = true;
  EXPECT_EQ(ShowHelpAndExit(ui, options), 0u);
  ASSERT_EQ(ui.shown.size(), 1u) << "shown in silent mode too";
  EXPECT_EQ(ui.shown[0].caption, u"Справка");
  EXPECT_EQ(ui.shown[0].style, box::kIconInformation);
  EXPECT_EQ(ui.shown[0].text, Text(BuildHelpText(false, true)));
}

}  // namespace
}  // namespace orvex
