#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "catalogue_text.h"
#include "fake/fake_platform.h"
#include "install/plugin_package.h"
#include "readme.h"
#include "restart/reboot_marker.h"

namespace orvex {
namespace {

const std::u16string kProduct = kPluginProductCode;
const std::u16string kPackage = u"D:\\dist\\x64\\orvexcom-x64.msi";
const std::u16string kMsiexec = u"\"C:\\Windows\\system32\\msiexec.exe\" /i \"D:\\dist\\x64\\orvexcom-x64.msi\" ";
const std::u16string kLog = u"C:\\Temp\\orvexcom-x64.msi_2026-03-05-14-07-09.log";

// A distribution D:\dist with both packages; the package holds 2.0.10.
struct PluginWorld : fake::FakeWorld {
  PluginWorld() {
    files.AddDirectory(u"D:\\dist\\.hidden");
    files.AddFile(u"D:\\dist\\.hidden\\orvexcom-x64.msi");
    files.AddDirectory(u"D:\\dist\\win32");
    files.AddFile(u"D:\\dist\\win32\\orvexcom-win32.msi");
    files.AddDirectory(u"D:\\dist\\x64");
    files.AddFile(kPackage);
    installer.packages[u"D:\\dist\\win32\\orvexcom-win32.msi"].properties[u"ProductVersion"] = u"2.0.10";
  }
  void Install(const std::u16string& version, int featureState, int productState = 5) {
    installer.productStates[kProduct] = productState;
    installer.productInfo[kProduct + u"/VersionString"] = version;
    installer.featureStates[kProduct + u"/NPORVEX"] = featureState;
  }
  Status Run(const std::u16string& arguments, bool silent, bool reinstall) {
    Platform p = platform();
    InstallOptions options;
    options.pluginArgs = WideString(arguments.c_str());
    options.silent = silent;
    options.reinstall = reinstall;
    options.noUpdate = !reinstall;  // must not matter
    const std::set<Status> given = Given();
    const Status status = InstallPluginPackage(p, options, system.version, logPath);  // as the gate read it
    readme::ExpectDocumentedExitCode(status, given);  // the run's exit code
    return status;
  }
  WideString logPath;
};

struct DecisionCase {
  const char* name;
  const char16_t* installed;  // null: not installed
  int featureState;
  int productState;
  bool reinstall;
  bool silent;
  const char16_t* arguments;
  int answer;
  std::uint32_t box;          // 0: none
  Status status;
  const char16_t* properties;  // after REBOOT=R; null: msiexec does not run
};

TEST(PluginDecision, PropertiesBoxesAndStatusByStateOrderAndFlags) {
  const char16_t* kReinstall = u" /qb REINSTALL=ALL REINSTALLMODE=vomus";
  const DecisionCase cases[] = {
      {"fresh", nullptr, 0, 5, false, false, u"", 0, 0, 0, u" /qb ADDNPORVEX=1"},
      {"fresh, reinstall makes no difference", nullptr, 0, 5, true, true, u" X=1", 0, 0, 0, u" /qb ADDNPORVEX=1 X=1"},
      {"fresh, own quiet level", nullptr, 0, 5, false, false, u" /qn", 0, 0, 0, u" ADDNPORVEX=1 /qn"},
      {"fresh, capitals are not a quiet level", nullptr, 0, 5, false, false, u" /QN", 0, 0, 0,
       u" /qb ADDNPORVEX=1 /QN"},
      {"update", u"2.0.9", 3, 5, false, false, u"", 0, 0, 0, kReinstall},
      {"update, plug-in feature absent", u"2.0.9", 2, 5, false, true, u" A=1", 0, 0, 0,
       u" /qb REINSTALL=ALL REINSTALLMODE=vomus COMPADDLOCAL={A7D2F4E6-3B51-4C8A-9E07-6F2B81C5D934} A=1"},
      {"same version, Yes", u"2.0.10", 3, 5, false, false, u"", box::kIdYes, 147, 0, kReinstall},
      {"same version, No", u"2.0.10", 3, 5, false, false, u"", box::kIdNo, 147, 1602, nullptr},
      {"same version, box not shown", u"2.0.10", 3, 5, false, false, u"", 0, 147, 1602, nullptr},
      {"same version, silent", u"2.0.10", 3, 5, false, true, u"", 0, 0, 0, nullptr},
      {"same version, reinstall", u"2.0.10", 3, 5, true, false, u"", 0, 0, 0, kReinstall},
      {"same version, extra zero field", u"2.0.10.0", 3, 5, true, true, u"", 0, 0, 0, kReinstall},
      {"newer installed", u"2.0.11", 3, 5, true, false, u"", 0, 150, 0, nullptr},
      {"newer installed, silent", u"10.0", 3, 5, false, true, u"", 0, 0, 0, kReinstall},
      {"advertised is not installed", u"2.0.11", 3, 1, false, false, u"", 0, 0, 0, u" /qb ADDNPORVEX=1"},
      {"absent is not installed", u"2.0.10", 3, 2, false, false, u"", 0, 0, 0, u" /qb ADDNPORVEX=1"},
      {"unknown is not installed", u"2.0.10", 3, -1, false, false, u"", 0, 0, 0, u" /qb ADDNPORVEX=1"},
      {"local is not the default state", u"2.0.10", 3, 3, false, false, u"", 0, 0, 0, u" /qb ADDNPORVEX=1"},
      {"update, feature advertised", u"1.9", 1, 5, false, false, u"", 0, 0, 0, kReinstall},
  };
  for (const DecisionCase& c : cases) {
    SCOPED_TRACE(c.name);
    PluginWorld world;
    if (c.installed != nullptr) world.Install(c.installed, c.featureState, c.productState);
    world.ui.answers = {c.answer};
    EXPECT_EQ(world.Run(c.arguments, c.silent, c.reinstall), c.status);
    std::vector<Box> expected;
    if (c.box != 0) expected = {{Message(c.box), Message(128), c.box == 147 ? box::kYesNo : box::kIconError}};
    EXPECT_EQ(Boxes(world.ui), expected);
    if (c.properties == nullptr) {
      EXPECT_TRUE(world.processes.commandLines().empty());
      EXPECT_EQ(world.logPath.Length(), 0u);
    } else {
      ASSERT_EQ(world.processes.commandLines().size(), 1u);
      EXPECT_EQ(world.processes.commandLines()[0], kMsiexec + u"/Lv! \"" + kLog + u"\" REBOOT=R " + c.properties);
    }
    EXPECT_TRUE(world.installer.openHandles.empty()) << "package handle closed";
    // Only an update opens the package, and ignores the machine's state.
    const bool compared = c.installed != nullptr && c.productState == 5;
    EXPECT_EQ(world.installer.openOptions, compared ? std::vector<std::uint32_t>{1} : std::vector<std::uint32_t>{});
  }
}

struct CommandCase {
  const char* name;
  const char16_t* arguments;
  bool windows64;
  std::u16string expected;
};

TEST(PluginMsiexec, CommandLineLogSwitchAndArchitecture) {
  const CommandCase cases[] = {
      {"log of ours", u"", true, kMsiexec + u"/Lv! \"" + kLog + u"\" REBOOT=R  /qb ADDNPORVEX=1"},
      {"own log switch", u" /l*v C:\\x.log", true, kMsiexec + u" REBOOT=R  /qb ADDNPORVEX=1 /l*v C:\\x.log"},
      {"/L inside a value", u" P=C:/Logs/a", true, kMsiexec + u" REBOOT=R  /qb ADDNPORVEX=1 P=C:/Logs/a"},
      {"32-bit Windows", u"", false,
       u"\"C:\\Windows\\system32\\msiexec.exe\" /i \"D:\\dist\\win32\\orvexcom-win32.msi\" /Lv! "
       u"\"C:\\Temp\\orvexcom-win32.msi_2026-03-05-14-07-09.log\" REBOOT=R  /qb ADDNPORVEX=1"},
  };
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(c.name);
    PluginWorld world;
    world.system.windows64 = c.windows64;
    EXPECT_EQ(world.Run(c.arguments, false, false), 0u);
    ASSERT_EQ(world.processes.commandLines().size(), 1u);
    EXPECT_EQ(world.processes.commandLines()[0], c.expected);
    const bool ownLog = c.expected.find(u"/Lv!") != std::u16string::npos;
    EXPECT_EQ(world.environment.output, ownLog ? u"2026-03-05-14-07-09\n" : u"");
    EXPECT_EQ(world.logPath.Length() != 0, ownLog);
  }
}

// The source hash goes only on 5.2, and before msiexec runs: an update
// after it would meet the old hash.
TEST(PluginMsiexec, SourceListAndSourceHashBeforeTheRun) {
  const OsVersion versions[] = {{5, 2, 2}, {5, 2, 0}, {5, 1, 2}, {5, 0, 4},
                                {5, 3, 0}, {6, 2, 0}, {10, 2, 0}, {4, 2, 0}};
  for (const OsVersion& version : versions) {
    SCOPED_TRACE(testing::Message() << version.major << "." << version.minor);
    PluginWorld world;
    world.system.version = version;
    EXPECT_EQ(world.Run(u"", true, false), 0u);
    std::vector<std::u16string> expected{u"sources clear " + kProduct,
                                         u"sources set " + kProduct + u" PackageName=orvexcom-x64.msi"};
    if (IsWindows52(version)) expected.push_back(u"remove C:\\Windows\\installer\\SourceHash" + kProduct);
    expected.push_back(u"run " + kMsiexec + u"/Lv! \"" + kLog + u"\" REBOOT=R  /qb ADDNPORVEX=1");
    EXPECT_EQ(world.Steps(), expected);
    ASSERT_EQ(world.installer.Of(fake::Effect::kSourceList).size(), 2u);
    EXPECT_EQ(world.installer.Of(fake::Effect::kSourceList)[1].style, 4u) << "the machine's context";
    EXPECT_EQ(world.installer.Of(fake::Effect::kSourceList)[1].extra, 0u) << "by product code";
  }
}

TEST(PluginMsiexec, RestartRequestsBecomeTheMarkerAndSuccess) {
  struct Case {
    Status exitCode;
    bool started;
    Status status;
    bool marked;
  };
  const Case cases[] = {{1641, true, 0, true},        {3010, true, 0, true},        {3011, true, 0, true},
                        {1602, true, 1602, false},    {1603, true, 1603, false},    {0, true, 0, false},
                        {3012, true, 3012, false},    {1640, true, 1640, false},    {3010, false, 3010, false}};
  for (const Case& c : cases) {
    PluginWorld world;
    world.processes.results = {c.exitCode};
    world.processes.startFails = !c.started;
    EXPECT_EQ(world.Run(u"", true, false), c.status) << c.exitCode;
    // The mark, once, made after msiexec ended.
    EXPECT_EQ(world.registry.Of(fake::Effect::kCreateKey).size(), c.marked ? 1u : 0u) << c.exitCode;
    EXPECT_EQ(world.Steps().back().substr(0, 6), c.marked ? u"create" : u"run \"C") << c.exitCode;
  }
}

struct FailureCase {
  const char* name;
  void (*arrange)(PluginWorld&);
  std::uint32_t box;
  Status status;
  bool logPathSet;
};

TEST(PluginMsiexec, FailuresShowTheirBoxUnlessSilentAndRunNothing) {
  const FailureCase cases[] = {
      {"no package", [](PluginWorld& w) { w.files.entries.clear(); }, 139, 232, false},
      {"TMP unset", [](PluginWorld& w) { w.environment.variables.erase(u"TMP"); }, 144, 203, false},
      {"no system directory", [](PluginWorld& w) { w.environment.systemDirectoryError = 5; }, 152, 5, true},
  };
  for (const bool silent : {false, true}) {
    for (const FailureCase& c : cases) {
      SCOPED_TRACE(c.name);
      PluginWorld world;
      c.arrange(world);
      EXPECT_EQ(world.Run(u"", silent, false), c.status);
      EXPECT_TRUE(world.processes.commandLines().empty());
      EXPECT_EQ(world.logPath.Length() != 0, c.logPathSet);
      std::vector<Box> expected;
      if (!silent) expected = {{Message(c.box), Message(129), box::kIconError}};
      EXPECT_EQ(Boxes(world.ui), expected);
    }
  }
}

TEST(RebootMarker, OnlyAKeyThatOpensIsAPendingRestart) {
  for (const Status failure : {5u, 2u, 1018u}) {  // access denied, not found, key deleted
    fake::FakeRegistry registry;
    registry.keys.insert(kRebootMarkerKey);
    registry.openStatus = failure;
    bool pending = true;
    EXPECT_EQ(QueryRebootMarker(registry, pending), failure);
    EXPECT_FALSE(pending) << failure;
  }
}

TEST(RebootMarker, CreateQueryRemoveInThe32BitView) {
  fake::FakeRegistry registry;
  bool pending = true;
  EXPECT_EQ(QueryRebootMarker(registry, pending), 2u);
  EXPECT_FALSE(pending);
  EXPECT_EQ(CreateRebootMarker(registry), 0u);
  EXPECT_EQ(CreateRebootMarker(registry), 0u);
  EXPECT_EQ(QueryRebootMarker(registry, pending), 0u);
  EXPECT_TRUE(pending);
  EXPECT_EQ(RemoveRebootMarker(registry), 0u);
  EXPECT_EQ(registry.keys, (std::set<std::u16string>{u"Software"}));
  using Access = std::tuple<int, std::uint32_t, std::uint32_t>;  // kind, access, view
  std::vector<Access> accesses;
  for (const fake::Effect& e : registry.own) {
    EXPECT_EQ(e.text, u"Software\\NeedBstrReboot");
    accesses.emplace_back(e.kind, e.style, e.extra);
  }
  EXPECT_EQ(accesses, (std::vector<Access>{{fake::Effect::kOpenKey, 0x20219, 0}, {fake::Effect::kCreateKey, 0x2021F, 0},
                                           {fake::Effect::kCreateKey, 0x2021F, 0}, {fake::Effect::kOpenKey, 0x20219, 0},
                                           {fake::Effect::kDeleteKey, 0x2021F, 0x200}}));
}

}  // namespace
}  // namespace orvex
