#include "install/provider_setup.h"

#include <gtest/gtest.h>

#include <string>

#include "catalogue_text.h"
#include "fake/fake_platform.h"
#include "resources/message_catalogue.h"

namespace orvex {
namespace {

const std::u16string kLogSwitch = u"/Lv! \"\"\"C:\\Temp\\csp_2026-03-05-14-07-09.log\"\"\" ";

struct CommandCase {
  const char16_t* arguments;
  bool silent, reinstall, noUpdate;
  std::u16string expected;
};

TEST(ProviderSetup, CommandLineByArgumentsAndFlags) {
  const CommandCase cases[] = {
      {u"", true, true, false, u"csp\\Setup.exe -args \"/qb " + kLogSwitch + u"\" -noreboot -root -silent -reinstall"},
      {u"/qn ", false, false, false, u"csp\\Setup.exe -args \"" + kLogSwitch + u"/qn \" -noreboot -root"},
      {u"/QN ", false, false, true, u"csp\\Setup.exe -args \"/qb " + kLogSwitch + u"/QN \" -noreboot -root -noupdate"},
      {u"/L*v C:\\p.log ", true, true, true,
       u"csp\\Setup.exe -args \"/qb /L*v C:\\p.log \" -noreboot -root -silent -reinstall -noupdate"},
      {u"DIR=C:/logs ", false, true, true,
       u"csp\\Setup.exe -args \"/qb DIR=C:/logs \" -noreboot -root -reinstall -noupdate"},
  };
  for (const CommandCase& c : cases) {
    fake::FakeWorld world;
    const WideString arguments(c.arguments);
    Platform platform = world.platform();
    EXPECT_EQ(InstallProvider(platform, WideString(u"csp"), arguments, c.silent, c.reinstall, c.noUpdate), 0u);
    ASSERT_EQ(world.processes.commandLines.size(), 1u);
    EXPECT_EQ(world.processes.commandLines[0], c.expected);
    EXPECT_EQ(fake::Text(arguments), c.arguments) << "the caller's copy is unchanged";
  }
}

TEST(ProviderSetup, QuietLevelComesFromTheArgumentsNotTheLogPath) {
  fake::FakeWorld world;
  world.environment.variables[u"TMP"] = u"/qnTemp";
  Platform platform = world.platform();
  EXPECT_EQ(InstallProvider(platform, WideString(u"csp"), WideString(u" A=1"), false, false, false), 0u);
  ASSERT_EQ(world.processes.commandLines.size(), 1u);
  EXPECT_EQ(world.processes.commandLines[0],
            u"csp\\Setup.exe -args \"/qb /Lv! \"\"\"/qnTemp\\csp_2026-03-05-14-07-09.log\"\"\"  A=1\" -noreboot -root");
}

struct ExitCase {
  Status code;
  bool startFails;
  Status status;
  bool logExists;
};

TEST(ProviderSetup, ExitCodesAndTheFailureBox) {
  const std::u16string log = u"C:\\Temp\\ucsp_2026-03-05-14-07-09.log";
  const ExitCase cases[] = {
      {0, false, 0, false},       {3, false, 0, false},       {4, false, 0, false},
      {8, false, 0, false},       {1602, false, 0, false},    {3010, false, 3010, true},
      {1603, false, 1603, false}, {0xC0000005u, false, 0xC0000005u, true},
      {3, true, 3, false},  // a missing directory: never started, so never success
      {2, true, 2, false},
  };
  for (const bool silent : {false, true}) {
    for (const ExitCase& c : cases) {
      SCOPED_TRACE(testing::Message() << c.code << (c.startFails ? " not started" : "") << (silent ? " silent" : ""));
      fake::FakeWorld world;
      world.processes.results = {c.code};
      world.processes.startFails = c.startFails;
      if (c.logExists) world.files.existing.insert(log);
      Platform platform = world.platform();
      EXPECT_EQ(InstallProvider(platform, WideString(u"ucsp"), WideString(), silent, false, false), c.status);
      if (c.status == 0 || silent) {
        EXPECT_TRUE(world.ui.shown.empty());
        continue;
      }
      ASSERT_EQ(world.ui.shown.size(), 1u);
      std::u16string expected = Message(105) + u": " + fake::Text([&] {
        WideString number;
        number.AppendFormat(u"%u", c.status);
        return number;
      }()) + u".\n";
      if (c.logExists) expected += u"Install log: " + log;
      EXPECT_EQ(world.ui.shown[0].text, expected);
      EXPECT_EQ(world.ui.shown[0].caption, Message(129));
      EXPECT_EQ(world.ui.shown[0].style, box::kIconError);
    }
  }
}

TEST(ProviderSetup, MissingTmpRunsNothing) {
  fake::FakeWorld world;
  world.environment.variables.erase(u"TMP");
  Platform platform = world.platform();
  EXPECT_EQ(InstallProvider(platform, WideString(u"csp"), WideString(), false, false, false), 203u);
  EXPECT_TRUE(world.processes.commandLines.empty());
  ASSERT_EQ(world.ui.shown.size(), 1u);
  EXPECT_EQ(world.ui.shown[0].text, Message(144)) << "message 105 is not shown";
}

}  // namespace
}  // namespace orvex
