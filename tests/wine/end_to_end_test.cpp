// The real orvexplugin.exe at the edges: paths with spaces and Cyrillic
// letters or longer than MAX_PATH, a package file that is not a package, no
// TMP, a restart that Windows refuses.
//
// The failure paths that Wine cannot bring about are tested natively only:
// not an administrator (IsUserAnAdmin is always TRUE), an unreadable Windows
// version or system directory (the calls do not fail), an installed version
// or package version that cannot be read (Wine's Installer answers), a
// current directory too long (Wine starts no program there), msiexec's own
// Cancel (Wine's /qb shows no window to cancel) and 1618 (Wine's msiexec
// ignores the _MSIExecute mutex).
#include <windows.h>
#include <msi.h>

#include <gtest/gtest.h>

#include <string>

#include "plugin_scenario.h"

namespace orvex {
namespace {

using namespace driver;

class FailurePaths : public PluginScenario {};
class UnusualPaths : public PluginScenario {};

// Garbage named like the package. Not installed: msiexec refuses it with the
// code Windows Installer gives for it. Installed: the version comparison
// cannot open it and says so even under -silent.
TEST_F(FailurePaths, PackageThatIsNotAPackage) {
  const std::wstring dist = WorkDirectory() + L"\\garbage", package = PackageIn(dist);
  ASSERT_TRUE(CreateDirectories(dist + L"\\" + PackageArch()));
  const HANDLE file = CreateFileW(package.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, "MZ not a package", 16, &written, nullptr);
  CloseHandle(file);
  const UINT installError = MsiInstallProductW(package.c_str(), L"");
  ASSERT_NE(installError, 0u);

  Outcome outcome = Run(dist, L"", {Question(), Failed(nullptr)});
  EXPECT_EQ(outcome.exitCode, installError);
  const Log log = LogOfRun(outcome);
  ASSERT_EQ(outcome.texts.size(), 2u);
  EXPECT_EQ(Utf8(outcome.texts[1]),
            Utf8(Message(106) + L": " + std::to_wstring(installError) + L".\nInstall log: " + log.path));
  EXPECT_EQ(MsiQueryProductStateW(kProduct), INSTALLSTATE_UNKNOWN);

  InstallDirectly(L"normal-2.0.9");
  MSIHANDLE handle = 0;
  const UINT openError = MsiOpenPackageExW(package.c_str(), MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE, &handle);
  ASSERT_NE(openError, 0u);
  const std::wstring tail = L": " + std::to_wstring(openError) + L".\n";
  for (const bool silent : {true, false}) {
    outcome = Run(dist, silent ? L"-silent" : L"",
                  silent ? std::vector<Expected>{InstallError(133)}
                         : std::vector<Expected>{Question(), InstallError(133), Failed(tail.c_str())});
    EXPECT_EQ(outcome.exitCode, openError);
    EXPECT_EQ(outcome.output, "") << "no installer ran";
  }
  EXPECT_TRUE(Logs().empty());
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), L"2.0.9");
}

// Only TMP names the log directory: without it, or with it empty (TEMP set
// all the same), no installer starts. The plug-in's run reports 144 and 106,
// a provider's 144; the code is 203 whatever error the package search left.
TEST_F(FailurePaths, MissingTmpStartsNoInstaller) {
  // Where the Setup.exe stand-in would record a call.
  SetEnvironmentVariableW(L"TEMP", tmp_.c_str());
  struct Case {
    const wchar_t* arguments;
    std::vector<Expected> boxes;
  };
  // Each TMP with the plug-in and a provider, once with boxes, once silent.
  const Case cases[] = {
      {L"", {Question(), InstallError(144), Failed(L": 203.\n")}},
      {L"-silent -ucsp", {}},
      {L"-silent", {}},
      {L"-csp", {Question(102), InstallError(144)}},
  };
  for (int half = 0; half < 2; ++half) {
    const wchar_t* tmp = half == 0 ? nullptr : L"";
    SetEnvironmentVariableW(L"TMP", tmp);
    for (const Case& c : {cases[2 * half], cases[2 * half + 1]}) {
      SCOPED_TRACE(Utf8(c.arguments) + (tmp == nullptr ? " without TMP" : " with an empty TMP"));
      const Outcome outcome = Run(Dist(L"normal-2.0.10"), c.arguments, c.boxes);
      EXPECT_EQ(outcome.exitCode, 203u);
      EXPECT_EQ(outcome.output, "");
    }
  }
  EXPECT_EQ(MsiQueryProductStateW(kProduct), INSTALLSTATE_UNKNOWN);
  EXPECT_EQ(ReadWholeFile(tmp_ + L"\\setup-calls.log"), "") << "no setup program ran";
  EXPECT_TRUE(Logs().empty());
}

// A restart that is due and agreed to, by a process without the shutdown
// privilege: Windows refuses it, box 111 (none under -silent), exit code 7.
TEST_F(FailurePaths, RestartWithoutTheShutdownPrivilegeIsRefused) {
  HANDLE own = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own));
  LUID_AND_ATTRIBUTES shutdown{};
  ASSERT_TRUE(LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &shutdown.Luid));
  ASSERT_TRUE(CreateRestrictedToken(own, 0, 0, nullptr, 1, &shutdown, 0, nullptr, &token_));
  CloseHandle(own);
  const auto mark = [] {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kMarker, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  };
  mark();
  const Expected restart{Message(108), IDYES}, refused{Message(111), IDOK};
  Outcome outcome = Run(Dist(L"normal-2.0.9"), L"", {Question(), restart, refused});
  EXPECT_EQ(outcome.exitCode, 7u);
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), L"2.0.9");
  EXPECT_FALSE(MarkerExists()) << "removed before asking";

  mark();
  outcome = Run(Dist(L"normal-2.0.9"), L"-silent", {});
  EXPECT_EQ(outcome.exitCode, 7u);
  EXPECT_FALSE(MarkerExists());
}

// A distribution in the downloads folder of a user whose name holds a space
// and Cyrillic letters, and a TMP in that profile: every path reaches
// msiexec and the setup programs whole. Windows Installer keeps the package's
// directory as the product's source; the log, in the ANSI code page, holds
// what it can of the path.
TEST_F(UnusualPaths, SpacesAndCyrillicInDistributionAndTmp) {
  const std::wstring profile = WorkDirectory() + L"\\Users\\Иван Петров";
  const std::wstring dist = profile + L"\\Загрузки\\дистрибутив", package = PackageIn(dist);
  tmp_ = profile + L"\\AppData\\Local\\Temp";
  ASSERT_TRUE(CreateDirectories(tmp_));
  ASSERT_TRUE(CopyDistribution(Dist(L"normal-2.0.10"), dist));
  SetEnvironmentVariableW(L"TMP", tmp_.c_str());

  Outcome outcome = Run(dist, L"", {Question(), Installed()});
  EXPECT_EQ(outcome.exitCode, 0u);
  ExpectProperties(LogOfRun(outcome).text, package, {"ADDNPORVEX = 1"});
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), L"2.0.10");
  EXPECT_EQ(Utf8(ProductInfo(INSTALLPROPERTY_INSTALLSOURCE)), Utf8(dist + L"\\" + PackageArch() + L"\\"));

  outcome = Run(dist, L"-csp -ucsp -reinstall", {Question(125), Installed(127)});
  EXPECT_EQ(outcome.exitCode, 0u);
  // The setup programs' whole command lines are the providers group's; here
  // each log path is whole.
  const std::string calls = ReadWholeFile(tmp_ + L"\\setup-calls.log");
  for (const char* log : {"\\csp_", "\\ucsp_"}) EXPECT_NE(calls.find(Utf8(tmp_) + log), std::string::npos) << calls;
  ExpectProperties(LogOfRun(outcome).text, package, {"REINSTALL = ALL", "REINSTALLMODE = vomus"});
}

// A TMP deeper than MAX_PATH: every log path is made whole. Wine's msiexec
// logs there and the setup program is told the whole path; when msiexec
// fails, the box names the whole log path.
TEST_F(UnusualPaths, TmpLongerThanMaxPath) {
  for (int level = 0; level < 5; ++level) tmp_ += L"\\" + std::wstring(60, L'к');
  ASSERT_GT(tmp_.size(), 300u);
  ASSERT_TRUE(CreateDirectories(tmp_));
  SetEnvironmentVariableW(L"TMP", tmp_.c_str());

  Outcome outcome = Run(Dist(L"normal-2.0.9"), L"-csp", {Question(102), Installed(109)});
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_NE(ReadWholeFile(tmp_ + L"\\setup-calls.log").find(Utf8(tmp_) + "\\csp_"), std::string::npos);
  ExpectProperties(LogOfRun(outcome).text, Package(L"normal-2.0.9"), {"ADDNPORVEX = 1"});

  RemovePlugin();
  outcome = Run(Dist(L"fail-2.0.9"), L"", {Question(), Failed(nullptr)});
  EXPECT_EQ(outcome.exitCode, 1603u);
  const Log log = LogOfRun(outcome);
  ASSERT_EQ(outcome.texts.size(), 2u);
  EXPECT_EQ(Utf8(outcome.texts[1]), Utf8(Message(106) + L": 1603.\nInstall log: " + log.path));
}

}  // namespace
}  // namespace orvex
