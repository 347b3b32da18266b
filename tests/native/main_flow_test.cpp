#include "app/main_flow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "catalogue_text.h"
#include "fake/fake_platform.h"
#include "install/plugin_package.h"
#include "install/providers.h"
#include "readme.h"
#include "restart/reboot_marker.h"

namespace orvex {
namespace {

using Calls = std::vector<std::u16string>;

const std::u16string kMsiexec = u"\"C:\\Windows\\system32\\msiexec.exe\" ";

// One run of the bootstrapper against the fakes, with the given arguments
// (after the program name) as the whole command line and as its tail, in a
// distribution that holds the plug-in package.
struct BootstrapperRun {
  explicit BootstrapperRun(std::vector<std::u16string> arguments) {
    std::u16string joined;
    for (const auto& argument : arguments) joined += (joined.empty() ? u"" : u" ") + argument;
    tail = joined;
    arguments.insert(arguments.begin(), u"orvexplugin.exe");
    world.commandLine = fake::FakeCommandLine(arguments);
    world.files.AddDirectory(u"D:\\dist\\x64");
    world.files.AddFile(u"D:\\dist\\x64\\orvexcom-x64.msi");
  }

  // The exit code, which the README's table must document.
  std::uint32_t Execute() {
    Platform platform = world.platform();
    const std::set<Status> given = world.Given();
    const std::uint32_t code = RunBootstrapper(platform, tail.c_str());
    readme::ExpectDocumentedExitCode(code, given);
    return code;
  }

  // The run's effects in order, in short: "box 103" by the message shown,
  // "csp" or "plugin" for the program run by its directory or msiexec, the
  // marker's key left out, the source list left to the plug-in's tests.
  Calls Outline() const {
    Calls outline;
    for (std::u16string step : world.Steps()) {
      if (step.rfind(u"sources ", 0) == 0) continue;
      if (step.rfind(u"run ", 0) == 0) {
        step = step.rfind(kMsiexec, 4) == 4 ? u"plugin" : step.substr(4, step.find(u'\\') - 4);
      }
      if (step.rfind(u"box ", 0) == 0) step = u"box " + Digits(MessageNumber(step.substr(4)));
      outline.push_back(step.substr(0, step.find(u" " + std::u16string(kRebootMarkerKey))));
    }
    return outline;
  }

  fake::Effect Shown(std::size_t index) const { return world.ui.shown().at(index); }
  void MarkRestartPending() { world.registry.keys.insert(kRebootMarkerKey); }

  fake::FakeWorld world;
  std::u16string tail;
};

struct FlagCase {
  std::vector<std::u16string> arguments;
  std::uint32_t question;
  std::uint32_t closing;
  std::uint32_t restartQuestion;
  Calls installs;
};

const FlagCase kFlagCases[] = {
    {{}, 103, 110, 108, {u"plugin"}},
    {{u"-csp"}, 102, 109, 107, {u"csp", u"plugin"}},
    {{u"-ucsp"}, 122, 124, 123, {u"ucsp", u"plugin"}},
    {{u"-ucsp", u"-csp"}, 125, 127, 126, {u"csp", u"ucsp", u"plugin"}},
};

// Answered No; answered Yes without a pending restart, with one (agreed to),
// and with one kept by -norestart.
TEST(MainFlow, EverySetOfProvidersAsksInstallsInOrderAndClosesOrOffersTheRestart) {
  std::set<unsigned> sets;
  for (const FlagCase& c : kFlagCases) {
    unsigned set = 0;
    for (int id = 0; id < kProviderCount; ++id) {
      set |= std::count(c.arguments.begin(), c.arguments.end(), kProviders[id].selectSwitch) != 0 ? 1u << id : 0;
    }
    sets.insert(set);
    for (const int scenario : {0, 1, 2, 3}) {
      SCOPED_TRACE(testing::Message() << c.question << " scenario " << scenario);
      std::vector<std::u16string> arguments = c.arguments;
      if (scenario == 2) arguments.push_back(u"-norestart");
      BootstrapperRun run(arguments);
      if (scenario == 1 || scenario == 2) run.MarkRestartPending();
      if (scenario == 3) run.world.ui.answers = {box::kIdNo};
      EXPECT_EQ(run.Execute(), 0u);
      Calls expected{u"quiet", u"box " + Digits(c.question)};  // the installer silenced before the question
      if (scenario != 3) {
        expected.insert(expected.end(), c.installs.begin(), c.installs.end());
        expected.push_back(u"open");
      }
      if (scenario == 1) {  // removed before the question
        expected.insert(expected.end(), {u"delete", u"box " + Digits(c.restartQuestion), u"restart"});
      } else if (scenario != 3) {
        expected.push_back(u"box " + Digits(c.closing));
      }
      EXPECT_EQ(run.Outline(), expected);
      for (const fake::Effect& shown : run.world.ui.shown()) EXPECT_EQ(shown.caption, Message(104));
      EXPECT_EQ(run.Shown(0).style, box::kYesNo);
      EXPECT_EQ(run.world.ui.shown().back().style,
                scenario == 3 ? box::kYesNo : scenario == 1 ? box::kYesNo | box::kIconExclamation : box::kOk);
    }
  }
  EXPECT_EQ(sets.size(), kProviderSetCount) << "every set of providers has its case in kFlagCases";
}

struct RestartCase {
  const char* name;
  bool silent;
  int answer;
  bool privilegeHeld;
  bool restartSucceeds;
  std::uint32_t exitCode;
  Calls last;  // after the question, or after the mark's removal under -silent
};

TEST(MainFlow, RestartAnswersAndFailures) {
  const RestartCase cases[] = {
      {"declined", false, box::kIdNo, true, true, 0, {}},
      {"box not shown counts as declined", false, 0, true, true, 0, {}},
      {"agreed, request refused", false, box::kIdYes, true, false, kExitRestartFailed, {u"restart", u"box 111"}},
      {"agreed, no privilege: nothing asked", false, box::kIdYes, false, true, kExitRestartFailed, {u"box 111"}},
      {"silent restarts unasked", true, 0, true, true, 0, {u"restart"}},
      {"silent, request refused", true, 0, true, false, kExitRestartFailed, {u"restart"}},
  };
  for (const RestartCase& c : cases) {
    SCOPED_TRACE(c.name);
    BootstrapperRun run(c.silent ? std::vector<std::u16string>{u"-silent"} : std::vector<std::u16string>{});
    run.MarkRestartPending();
    run.world.power.restartAccepted = c.restartSucceeds;
    run.world.power.privilegeHeld = c.privilegeHeld;
    run.world.ui.answers = {box::kIdYes, c.answer};
    EXPECT_EQ(run.Execute(), c.exitCode);
    Calls expected = c.silent ? Calls{u"quiet", u"plugin", u"open", u"delete"}
                              : Calls{u"quiet", u"box 103", u"plugin", u"open", u"delete", u"box 108"};
    expected.insert(expected.end(), c.last.begin(), c.last.end());
    EXPECT_EQ(run.Outline(), expected) << "the mark removed before the question";
    EXPECT_TRUE(c.last.empty() || c.last.back() != u"box 111" || run.world.ui.shown().back().style == box::kOk);
  }
}

// On Windows 5.2, whose version the gate hands on to the plug-in step, the
// installer's source hash goes before msiexec runs: an update after it would
// meet the old hash.
TEST(MainFlow, SilentOnWindows52AsksNothingAndRemovesTheSourceHashBeforeMsiexec) {
  BootstrapperRun run({u"-silent", u"-csp", u"-ucsp"});
  run.world.system.version = OsVersion{5, 2, 2};
  EXPECT_EQ(run.Execute(), 0u);
  EXPECT_EQ(run.Outline(), (Calls{u"quiet", u"csp", u"ucsp",
                                  u"remove C:\\Windows\\installer\\SourceHash" + std::u16string(kPluginProductCode),
                                  u"plugin", u"open"}));
}


struct ProviderFailureCase {
  std::vector<std::u16string> arguments;
  std::deque<Status> results;
  std::uint32_t exitCode;
  Calls outline;
  bool tmpUnset = false;  // then the provider's log path cannot be made
};

TEST(MainFlow, AProviderFailureEndsTheRunWithItsStatus) {
  const ProviderFailureCase cases[] = {
      {{u"-csp", u"-ucsp"}, {1603}, 1603, {u"quiet", u"box 125", u"csp", u"box 105"}},
      {{u"-csp", u"-ucsp"}, {0, 3010}, 3010, {u"quiet", u"box 125", u"csp", u"ucsp", u"box 105"}},
      {{u"-ucsp"}, {2}, 2, {u"quiet", u"box 122", u"ucsp", u"box 105"}},
      {{u"-csp"}, {}, 203, {u"quiet", u"box 102", u"box 144"}, true},
  };
  for (const ProviderFailureCase& c : cases) {
    SCOPED_TRACE(c.exitCode);
    BootstrapperRun run(c.arguments);
    run.world.processes.results = c.results;
    if (c.tmpUnset) run.world.environment.variables.erase(u"TMP");
    EXPECT_EQ(run.Execute(), c.exitCode);
    EXPECT_EQ(run.Outline(), c.outline) << "the provider's own failure box last";
  }
}

struct PluginFailureCase {
  const char* name;
  Status status;
  bool ownLog;  // the user's -OrvexArgs name a log: none of ours
  bool logExists;
  bool silent;
  std::uint32_t message;        // of the box after msiexec's outcome
  std::u16string expectedTail;  // after the message; empty when no box
};

TEST(MainFlow, PluginFailureReportsStatusAndExistingLog) {
  const std::u16string log = u"C:\\Temp\\orvexcom-x64.msi_2026-03-05-14-07-09.log";
  const PluginFailureCase cases[] = {
      {"log exists", 1603, false, true, false, 106, u": 1603.\nInstall log: " + log},
      {"log missing", 1603, false, false, false, 106, u": 1603.\n"},
      {"no log of ours", 1603, true, true, false, 106, u": 1603.\n"},
      {"large status", 0xC0000005u, false, false, false, 106, u": 3221225477.\n"},
      {"silent", 1603, false, true, true, 106, u""},
      {"cancelled", 1602, false, true, false, 0, u""},
  };
  for (const PluginFailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::u16string> arguments;
    if (c.silent) arguments.push_back(u"-silent");
    if (c.ownLog) arguments.insert(arguments.end(), {u"-OrvexArgs", u"/l " + log});
    BootstrapperRun run(arguments);
    run.world.processes.results = {c.status};
    if (c.logExists) run.world.files.AddFile(log);
    run.MarkRestartPending();
    EXPECT_EQ(run.Execute(), c.status);
    Calls expected{u"quiet", u"box 103", u"plugin", u"box " + Digits(c.message)};
    if (c.expectedTail.empty()) expected.pop_back();
    if (c.silent) expected.erase(expected.begin() + 1);
    EXPECT_EQ(run.Outline(), expected) << "no restart after a failure, nor a look at the mark";
    if (!c.expectedTail.empty()) {
      EXPECT_EQ(Boxes(run.world.ui).at(1), Box(Message(c.message) + c.expectedTail, Message(104), box::kIconError));
    }
  }
}

struct RefusalCase {
  const char* name;
  std::vector<std::u16string> arguments;
  void (*arrange)(fake::FakeWorld&);
  std::uint32_t exitCode;  // as the README's exit-code table gives it
  std::uint32_t message;
};

// Refused before anything is installed or the installer touched, with the
// box under caption 104 unless -silent.
TEST(MainFlow, RefusalsEndWithTheirDocumentedExitCode) {
  const RefusalCase cases[] = {
      {"not an administrator, before the gate", {},
       [](fake::FakeWorld& w) {
         w.system.admin = false;
         w.system.version = OsVersion{4, 0, 0};
       },
       1, 101},
      {"the gate's refusal", {}, [](fake::FakeWorld& w) { w.system.version = OsVersion{5, 1, 1}; }, 4, 118},
      {"the version unreadable", {}, [](fake::FakeWorld& w) { w.system.versionAvailable = false; }, 2, 121},
  };
  for (const RefusalCase& c : cases) {
    for (const bool silent : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << (silent ? ", silent" : ""));
      std::vector<std::u16string> arguments = c.arguments;
      if (silent) arguments.push_back(u"-silent");
      BootstrapperRun run(arguments);
      c.arrange(run.world);
      EXPECT_EQ(run.Execute(), c.exitCode);
      EXPECT_EQ(run.Outline().size(), silent ? 0u : 1u) << "nothing but the box";
      std::vector<Box> expected;
      if (!silent) expected = {{Message(c.message), Message(104), box::kIconError}};
      EXPECT_EQ(Boxes(run.world.ui), expected);
    }
  }
}

// The help box, with its own caption and icon, even under -silent.
TEST(MainFlow, HelpEndsTheRunWithZeroBeforeTheChecks) {
  BootstrapperRun run({u"-csp", u"-silent", u"-?"});
  run.world.system.admin = false;
  EXPECT_EQ(run.Execute(), 0u);
  ASSERT_EQ(run.Outline(), Calls{u"box 0"}) << "the help box, no message of the catalogue, alone";
  EXPECT_EQ(run.Shown(0).caption, u"Справка");
  EXPECT_EQ(run.Shown(0).style, box::kIconInformation);
  EXPECT_NE(run.Shown(0).text.find(u"-cspargs"), std::u16string::npos);
}

TEST(MainFlow, AnEmptyTailLeavesTheCommandLineUnreadAndAnUnshownQuestionGoesOn) {
  BootstrapperRun run({u"-garbage"});
  run.tail.clear();
  run.world.ui.answers = {0};
  EXPECT_EQ(run.Execute(), 0u);
  EXPECT_EQ(run.world.commandLine.splits, 0);
  EXPECT_EQ(run.Outline(), (Calls{u"quiet", u"box 103", u"plugin", u"open", u"box 110"}));
}

struct DialogCase {
  std::vector<std::u16string> arguments;
  bool cancelled;
  Calls outline;
};

TEST(MainFlow, SelectionDialogOnlyWithCspAndNotSilentAndItsCancelEndsTheRun) {
  const DialogCase cases[] = {
      {{u"-csp", u"-selectDlg"}, false, {u"quiet", u"box 102", u"dialog", u"csp", u"plugin", u"open", u"box 109"}},
      {{u"-selectDlg", u"-csp", u"-ucsp"}, false,
       {u"quiet", u"box 125", u"dialog", u"csp", u"ucsp", u"plugin", u"open", u"box 127"}},
      {{u"-csp", u"-selectDlg"}, true, {u"quiet", u"box 102", u"dialog"}},
      {{u"-selectDlg"}, true, {u"quiet", u"box 103", u"plugin", u"open", u"box 110"}},
      {{u"-ucsp", u"-selectDlg"}, true, {u"quiet", u"box 122", u"ucsp", u"plugin", u"open", u"box 124"}},
      {{u"-csp", u"-selectDlg", u"-silent"}, true, {u"quiet", u"csp", u"plugin", u"open"}},
      {{u"-csp"}, true, {u"quiet", u"box 102", u"csp", u"plugin", u"open", u"box 109"}},
  };
  for (const DialogCase& c : cases) {
    SCOPED_TRACE(&c - cases);
    BootstrapperRun run(c.arguments);
    run.world.ui.dialogCancelled = c.cancelled;
    EXPECT_EQ(run.Execute(), 0u);
    EXPECT_EQ(run.Outline(), c.outline);
  }
}

TEST(MainFlow, EveryStepGetsTheOptionsAsParsed) {
  BootstrapperRun run({u"-csp", u"-CSPArgs", u"/qn", u"-ucsp", u"-UCSPArgs", u"/l*v x", u"-OrvexArgs", u"A=1",
                       u"-reinstall", u"-silent"});
  EXPECT_EQ(run.Execute(), 0u);
  EXPECT_EQ(run.world.processes.commandLines(),
            (Calls{u"csp\\Setup.exe -args \"/Lv! \"\"\"C:\\Temp\\csp_2026-03-05-14-07-09.log\"\"\" /qn \" -noreboot "
                   u"-root -silent -reinstall",
                   u"ucsp\\Setup.exe -args \"/qb /l*v x \" -noreboot -root -silent -reinstall",
                   kMsiexec + u"/i \"D:\\dist\\x64\\orvexcom-x64.msi\" /Lv! \"C:\\Temp\\orvexcom-x64.msi_"
                              u"2026-03-05-14-07-09.log\" REBOOT=R  /qb ADDNPORVEX=1 A=1 "}));
}

}  // namespace
}  // namespace orvex
