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

  std::uint32_t Execute() {
    Platform platform = world.platform();
    return RunBootstrapper(platform, tail.c_str());
  }

  // The programs run, in order: each provider's setup, then the plug-in's msiexec.
  Calls Programs() const {
    Calls programs;
    for (const std::u16string& line : world.processes.commandLines) {
      programs.push_back(line.rfind(kMsiexec, 0) == 0 ? u"plugin" : u"provider " + line.substr(0, line.find(u'\\')));
    }
    return programs;
  }

  const fake::ShownBox& Box(std::size_t index) const { return world.ui.shown.at(index); }
  void MarkRestartPending() { world.registry.keys.insert(kRebootMarkerKey); }
  bool RestartPending() const { return world.registry.keys.count(kRebootMarkerKey) != 0; }

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
    {{u"-csp"}, 102, 109, 107, {u"provider csp", u"plugin"}},
    {{u"-ucsp"}, 122, 124, 123, {u"provider ucsp", u"plugin"}},
    {{u"-ucsp", u"-csp"}, 125, 127, 126, {u"provider csp", u"provider ucsp", u"plugin"}},
};

TEST(MainFlow, QuestionByFlagsAnsweredNoInstallsNothing) {
  std::set<unsigned> sets;
  for (const FlagCase& c : kFlagCases) {
    SCOPED_TRACE(c.question);
    unsigned set = 0;
    for (int id = 0; id < kProviderCount; ++id) {
      set |= std::count(c.arguments.begin(), c.arguments.end(), kProviders[id].selectSwitch) != 0 ? 1u << id : 0;
    }
    sets.insert(set);
    BootstrapperRun run(c.arguments);
    run.world.ui.answers = {box::kIdNo};
    EXPECT_EQ(run.Execute(), 0u);
    ASSERT_EQ(run.world.ui.shown.size(), 1u);
    EXPECT_EQ(run.Box(0).text, Message(c.question));
    EXPECT_EQ(run.Box(0).caption, Message(104));
    EXPECT_EQ(run.Box(0).style, box::kYesNo);
    EXPECT_TRUE(run.Programs().empty());
    EXPECT_EQ(run.world.installer.uiLevelSetToNone, 1) << "installer UI is silenced before the question";
  }
  EXPECT_EQ(sets.size(), kProviderSetCount) << "every set of providers has its case in kFlagCases";
}

// Without a pending restart, with one, and with one kept by -norestart.
TEST(MainFlow, InstallsInOrderThenClosesOrOffersTheRestartByFlags) {
  for (const FlagCase& c : kFlagCases) {
    for (const int scenario : {0, 1, 2}) {
      SCOPED_TRACE(testing::Message() << c.question << " scenario " << scenario);
      std::vector<std::u16string> arguments = c.arguments;
      if (scenario == 2) arguments.push_back(u"-norestart");
      BootstrapperRun run(arguments);
      if (scenario != 0) run.MarkRestartPending();
      EXPECT_EQ(run.Execute(), 0u);
      EXPECT_EQ(run.Programs(), c.installs);
      EXPECT_EQ(run.RestartPending(), scenario == 2) << "removed before the question";
      EXPECT_EQ(run.world.power.restarts, scenario == 1 ? 1 : 0);
      ASSERT_EQ(run.world.ui.shown.size(), 2u);
      EXPECT_EQ(run.Box(1).text, Message(scenario == 1 ? c.restartQuestion : c.closing));
      EXPECT_EQ(run.Box(1).caption, Message(104));
      EXPECT_EQ(run.Box(1).style, scenario == 1 ? box::kYesNo | box::kIconExclamation : box::kOk);
    }
  }
}

struct RestartCase {
  const char* name;
  bool silent;
  int answer;
  bool privilegeHeld;
  bool restartSucceeds;
  std::uint32_t exitCode;
  bool restartCalled;
  bool failureBox;
};

TEST(MainFlow, RestartAnswersAndFailures) {
  const RestartCase cases[] = {
      {"agreed", false, box::kIdYes, true, true, 0, true, false},
      {"declined", false, box::kIdNo, true, true, 0, false, false},
      {"box not shown counts as declined", false, 0, true, true, 0, false, false},
      {"agreed, request refused", false, box::kIdYes, true, false, kExitRestartFailed, true, true},
      {"agreed, no shutdown privilege: nothing asked", false, box::kIdYes, false, true, kExitRestartFailed, false, true},
      {"silent restarts unasked", true, 0, true, true, 0, true, false},
      {"silent, request refused", true, 0, true, false, kExitRestartFailed, true, false},
  };
  for (const RestartCase& c : cases) {
    SCOPED_TRACE(c.name);
    BootstrapperRun run(c.silent ? std::vector<std::u16string>{u"-silent"} : std::vector<std::u16string>{});
    run.MarkRestartPending();
    run.world.power.restartAccepted = c.restartSucceeds;
    run.world.power.privilegeHeld = c.privilegeHeld;
    run.world.ui.answers = {box::kIdYes, c.answer};
    EXPECT_EQ(run.Execute(), c.exitCode);
    EXPECT_FALSE(run.RestartPending()) << "removed before the question";
    EXPECT_EQ(run.world.power.restarts, c.restartCalled ? 1 : 0);
    const std::size_t boxes = c.silent ? 0u : (c.failureBox ? 3u : 2u);
    ASSERT_EQ(run.world.ui.shown.size(), boxes);
    if (c.failureBox) {
      EXPECT_EQ(run.Box(2).text, Message(111));
      EXPECT_EQ(run.Box(2).style, box::kOk);
    }
  }
}

// On Windows 5.2, whose version the gate hands on to the plug-in step: the
// installer's source hash goes.
TEST(MainFlow, SilentShowsNoBoxAndGoesOnAsAfterYes) {
  BootstrapperRun run({u"-silent", u"-csp", u"-ucsp"});
  run.world.system.version = OsVersion{5, 2, 2};
  EXPECT_EQ(run.Execute(), 0u);
  EXPECT_TRUE(run.world.ui.shown.empty());
  EXPECT_EQ(run.Programs(), (Calls{u"provider csp", u"provider ucsp", u"plugin"}));
  EXPECT_EQ(run.world.files.deleted, Calls{u"C:\\Windows\\installer\\SourceHash" + std::u16string(kPluginProductCode)});
}

TEST(MainFlow, AQuestionThatCannotBeShownGoesOn) {
  BootstrapperRun run({});
  run.world.ui.answers = {0};
  EXPECT_EQ(run.Execute(), 0u);
  EXPECT_EQ(run.Programs().at(0), u"plugin");
}

struct ProviderFailureCase {
  std::vector<std::u16string> arguments;
  std::deque<Status> results;
  std::uint32_t exitCode;
  Calls calls;
};

TEST(MainFlow, AProviderFailureEndsTheRunWithItsStatus) {
  const ProviderFailureCase cases[] = {
      {{u"-csp", u"-ucsp"}, {1603}, 1603, {u"provider csp"}},
      {{u"-csp", u"-ucsp"}, {0, 3010}, 3010, {u"provider csp", u"provider ucsp"}},
      {{u"-ucsp"}, {2}, 2, {u"provider ucsp"}},
  };
  for (const ProviderFailureCase& c : cases) {
    SCOPED_TRACE(c.exitCode);
    BootstrapperRun run(c.arguments);
    run.world.processes.results = c.results;
    EXPECT_EQ(run.Execute(), c.exitCode);
    EXPECT_EQ(run.Programs(), c.calls);
    ASSERT_EQ(run.world.ui.shown.size(), 2u) << "the question and the provider's own failure box";
    EXPECT_EQ(run.Box(1).text.rfind(Message(105), 0), 0u);
  }
}

struct PluginFailureCase {
  const char* name;
  Status status;
  bool ownLog;  // the user's -OrvexArgs name a log: none of ours
  bool logExists;
  bool silent;
  std::u16string expectedTail;  // after message 106; empty when no box
};

TEST(MainFlow, PluginFailureReportsStatusAndExistingLog) {
  const std::u16string log = u"C:\\Temp\\orvexcom-x64.msi_2026-03-05-14-07-09.log";
  const PluginFailureCase cases[] = {
      {"log exists", 1603, false, true, false, u": 1603.\nInstall log: " + log},
      {"log missing", 1603, false, false, false, u": 1603.\n"},
      {"no log of ours", 1603, true, true, false, u": 1603.\n"},
      {"large status", 0xC0000005u, false, false, false, u": 3221225477.\n"},
      {"silent", 1603, false, true, true, u""},
      {"cancelled", 1602, false, true, false, u""},
  };
  for (const PluginFailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::u16string> arguments;
    if (c.silent) arguments.push_back(u"-silent");
    if (c.ownLog) arguments.insert(arguments.end(), {u"-OrvexArgs", u"/l " + log});
    BootstrapperRun run(arguments);
    run.world.processes.results = {c.status};
    if (c.logExists) run.world.files.existing.insert(log);
    run.MarkRestartPending();
    EXPECT_EQ(run.Execute(), c.status);
    EXPECT_TRUE(run.RestartPending()) << "no restart after a failure";
    EXPECT_EQ(run.world.power.restarts, 0);
    if (c.expectedTail.empty()) {
      EXPECT_EQ(run.world.ui.shown.size(), c.silent ? 0u : 1u);
    } else {
      ASSERT_EQ(run.world.ui.shown.size(), 2u);
      EXPECT_EQ(run.Box(1).text, Message(106) + c.expectedTail);
      EXPECT_EQ(run.Box(1).caption, Message(104));
      EXPECT_EQ(run.Box(1).style, box::kIconError);
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
  };
  const std::set<std::uint32_t> documented = readme::ExitCodes();
  for (const RefusalCase& c : cases) {
    EXPECT_EQ(documented.count(c.exitCode), 1u) << c.name << ": exit code " << c.exitCode << " not in the README";
    for (const bool silent : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << (silent ? ", silent" : ""));
      std::vector<std::u16string> arguments = c.arguments;
      if (silent) arguments.push_back(u"-silent");
      BootstrapperRun run(arguments);
      c.arrange(run.world);
      EXPECT_EQ(run.Execute(), c.exitCode);
      EXPECT_TRUE(run.Programs().empty());
      EXPECT_EQ(run.world.installer.uiLevelSetToNone, 0);
      ASSERT_EQ(run.world.ui.shown.size(), silent ? 0u : 1u);
      if (!silent) {
        EXPECT_EQ(run.Box(0).text, Message(c.message));
        EXPECT_EQ(run.Box(0).caption, Message(104));
        EXPECT_EQ(run.Box(0).style, box::kIconError);
      }
    }
  }
}

TEST(MainFlow, HelpEndsTheRunWithZeroBeforeTheChecks) {
  BootstrapperRun run({u"-csp", u"-?"});
  run.world.system.admin = false;
  EXPECT_EQ(run.Execute(), 0u);
  ASSERT_EQ(run.world.ui.shown.size(), 1u);
  EXPECT_EQ(run.Box(0).caption, u"Справка");
  EXPECT_NE(run.Box(0).text.find(u"-cspargs"), std::u16string::npos);
  EXPECT_TRUE(run.Programs().empty());
}

TEST(MainFlow, AnEmptyTailLeavesTheCommandLineUnread) {
  BootstrapperRun run({u"-garbage"});
  run.tail.clear();
  EXPECT_EQ(run.Execute(), 0u);
  EXPECT_EQ(run.world.commandLine.splits, 0);
  ASSERT_EQ(run.world.ui.shown.size(), 2u);
  EXPECT_EQ(run.Box(0).text, Message(103));
}

struct DialogCase {
  std::vector<std::u16string> arguments;
  bool cancelled;
  int dialogs;
  Calls installs;
  std::size_t boxes;
};

TEST(MainFlow, SelectionDialogOnlyWithCspAndNotSilentAndItsCancelEndsTheRun) {
  const DialogCase cases[] = {
      {{u"-csp", u"-selectDlg"}, false, 1, {u"provider csp", u"plugin"}, 2},
      {{u"-selectDlg", u"-csp", u"-ucsp"}, false, 1, {u"provider csp", u"provider ucsp", u"plugin"}, 2},
      {{u"-csp", u"-selectDlg"}, true, 1, {}, 1},
      {{u"-selectDlg"}, true, 0, {u"plugin"}, 2},
      {{u"-ucsp", u"-selectDlg"}, true, 0, {u"provider ucsp", u"plugin"}, 2},
      {{u"-csp", u"-selectDlg", u"-silent"}, true, 0, {u"provider csp", u"plugin"}, 0},
      {{u"-csp"}, true, 0, {u"provider csp", u"plugin"}, 2},
  };
  for (const DialogCase& c : cases) {
    SCOPED_TRACE(&c - cases);
    BootstrapperRun run(c.arguments);
    run.world.ui.dialogCancelled = c.cancelled;
    EXPECT_EQ(run.Execute(), 0u);
    EXPECT_EQ(run.world.ui.dialogs, c.dialogs);
    EXPECT_EQ(run.Programs(), c.installs);
    EXPECT_EQ(run.world.ui.shown.size(), c.boxes);
  }
}

TEST(MainFlow, EveryStepGetsTheOptionsAsParsed) {
  BootstrapperRun run({u"-csp", u"-CSPArgs", u"/qn", u"-ucsp", u"-UCSPArgs", u"/l*v x", u"-OrvexArgs", u"A=1",
                       u"-reinstall", u"-silent"});
  EXPECT_EQ(run.Execute(), 0u);
  EXPECT_EQ(run.world.processes.commandLines,
            (Calls{u"csp\\Setup.exe -args \"/Lv! \"\"\"C:\\Temp\\csp_2026-03-05-14-07-09.log\"\"\" /qn \" -noreboot "
                   u"-root -silent -reinstall",
                   u"ucsp\\Setup.exe -args \"/qb /l*v x \" -noreboot -root -silent -reinstall",
                   kMsiexec + u"/i \"D:\\dist\\x64\\orvexcom-x64.msi\" /Lv! "
                              u"\"C:\\Temp\\orvexcom-x64.msi_2026-03-05-14-07-09.log\" REBOOT=R  /qb ADDNPORVEX=1 A=1 "}));
}

}  // namespace
}  // namespace orvex
