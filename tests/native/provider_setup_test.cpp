#include "install/provider_setup.h"
#include "install/providers.h"

#include <gtest/gtest.h>

#include <string>

#include "catalogue_text.h"
#include "fake/fake_platform.h"
#include "install/log_path.h"

namespace orvex {
namespace {

std::u16string LogSwitch(const std::u16string& subdirectory) {
  return u"/Lv! \"\"\"C:\\Temp\\" + subdirectory + u"_2026-03-05-14-07-09.log\"\"\" ";
}

Status Install(fake::FakeWorld& world, ProviderId provider, const InstallOptions& options) {
  Platform platform = world.platform();
  return InstallProvider(platform, provider, options);
}

struct CommandCase {
  const char16_t* arguments;
  bool silent, reinstall, noUpdate;
  std::u16string args;  // the -args value, with {log} for the provider's log switch
  std::u16string flags;
};

TEST(ProviderSetup, CommandLineByProviderArgumentsAndFlags) {
  const CommandCase cases[] = {
      {u"", true, true, false, u"/qb {log}", u" -silent -reinstall"},
      {u"", false, false, true, u"/qb {log}", u" -noupdate"},
      {u"", false, true, false, u"/qb {log}", u" -reinstall"},
      {u"/qn ", false, false, false, u"{log}/qn ", u""},
      {u"/QN ", false, false, true, u"/qb {log}/QN ", u" -noupdate"},
      {u"a /q", false, false, false, u"{log}a /q", u""},
      {u"/L*v C:\\p.log ", true, true, true, u"/qb /L*v C:\\p.log ", u" -silent -reinstall -noupdate"},
      {u"DIR=C:/logs ", false, true, true, u"/qb DIR=C:/logs ", u" -reinstall -noupdate"},
      {u"x/l", false, false, false, u"/qb x/l", u""},
  };
  for (int id = 0; id < kProviderCount; ++id) {
    const ProviderId provider = static_cast<ProviderId>(id);
    const std::u16string subdirectory = kProviders[id].subdirectory;
    for (const CommandCase& c : cases) {
      SCOPED_TRACE(testing::Message() << provider << " " << &c - cases);
      fake::FakeWorld world;
      InstallOptions options;
      for (WideString& other : options.providerArgs) other = WideString(u"/other ");  // must not count
      options.providerArgs[provider] = WideString(c.arguments);
      options.silent = c.silent;
      options.reinstall = c.reinstall;
      options.noUpdate = c.noUpdate;
      EXPECT_EQ(Install(world, provider, options), 0u);
      std::u16string args = c.args;
      const std::size_t log = args.find(u"{log}");
      if (log != std::u16string::npos) args.replace(log, 5, LogSwitch(subdirectory));
      ASSERT_EQ(world.processes.commandLines().size(), 1u);
      EXPECT_EQ(world.processes.commandLines()[0],
                subdirectory + u"\\Setup.exe -args \"" + args + u"\" -noreboot -root" + c.flags);
      EXPECT_EQ(fake::Text(options.providerArgs[provider]), c.arguments) << "the caller's copy is unchanged";
    }
  }
}

TEST(ProviderSetup, QuietLevelComesFromTheArgumentsNotTheLogPath) {
  fake::FakeWorld world;
  world.environment.variables[u"TMP"] = u"/qnTemp";
  InstallOptions options;
  options.providerArgs[kCsp] = WideString(u" A=1");
  EXPECT_EQ(Install(world, kCsp, options), 0u);
  ASSERT_EQ(world.processes.commandLines().size(), 1u);
  EXPECT_EQ(world.processes.commandLines()[0],
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
      if (c.logExists) world.files.AddFile(log);
      InstallOptions options;
      options.silent = silent;
      EXPECT_EQ(Install(world, kUcsp, options), c.status);
      if (c.status == 0 || silent) {
        EXPECT_TRUE(world.ui.shown().empty());
        continue;
      }
      std::u16string expected = Message(105) + u": " + Digits(c.status) + u".\n";
      if (c.logExists) expected += u"Install log: " + log;
      EXPECT_EQ(Boxes(world.ui), (std::vector<Box>{{expected, Message(129), box::kIconError}}));
    }
  }
}

TEST(InstallLogPath, PiecesAndTheMissingTmp) {
  fake::FakeWorld world;
  world.environment.variables[u"TMP"] = u"C:\\Users\\Иван Петров\\Temp\\";
  WideString path;
  EXPECT_EQ(BuildInstallLogPath(world.environment, world.ui, WideString(u"csp"), false, path), 0u);
  EXPECT_EQ(fake::Text(path), u"C:\\Users\\Иван Петров\\Temp\\\\csp_2026-03-05-14-07-09.log");
  EXPECT_EQ(world.environment.output, u"2026-03-05-14-07-09\n");

  // Only TMP counts, and an empty one gives no directory: never success.
  for (const bool empty : {false, true}) {
    for (const bool silent : {false, true}) {
      fake::FakeWorld missing;
      missing.environment.variables.erase(u"TMP");
      missing.environment.variables[u"TEMP"] = u"C:\\Temp";
      if (empty) missing.environment.variables[u"TMP"] = u"";
      // What the package search leaves behind: an empty value must not report it.
      missing.environment.lastError = 2;
      WideString kept(u"kept");
      EXPECT_EQ(BuildInstallLogPath(missing.environment, missing.ui, WideString(u"csp"), silent, kept), 203u);
      EXPECT_EQ(fake::Text(kept), u"kept");
      EXPECT_EQ(missing.environment.output, u"");
      ASSERT_EQ(missing.ui.shown().size(), silent ? 0u : 1u);
      if (!silent) {
        EXPECT_EQ(missing.ui.shown()[0].text, Message(144));
      }
    }
  }
}

}  // namespace
}  // namespace orvex
