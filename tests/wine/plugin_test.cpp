// The plug-in installation of the real orvexplugin.exe, run in the sample
// distributions against Wine's own msiexec: the boxes and exit codes, what
// Windows Installer holds afterwards, the installer logs and the restart mark.
#include <windows.h>
#include <msi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "program_driver.h"

namespace orvex {
namespace {

using testing::BoxIcon;
using testing::Message;
using testing::ProgramRun;
using testing::ShownBox;
using testing::Utf8;

constexpr wchar_t kProduct[] = L"{5B0E2C71-8D3A-4F69-A2C4-19E7B35D6F08}";
constexpr wchar_t kMarker[] = L"Software\\NeedBstrReboot";

std::wstring Dist(const wchar_t* name) { return testing::Environment(L"ORVEX_DISTS") + L"\\" + name; }
std::wstring Package(const wchar_t* dist) { return Dist(dist) + L"\\x64\\orvexcom-x64.msi"; }

std::wstring ProductInfo(const wchar_t* attribute) {
  wchar_t value[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  return MsiGetProductInfoW(kProduct, attribute, value, &size) == ERROR_SUCCESS ? value : L"";
}

bool MarkerExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kMarker, 0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char text[32];
  snprintf(text, sizeof(text), "%04u-%02u-%02u-%02u-%02u-%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
           t.wSecond);
  return text;
}

// A box the program is expected to show, and the answer to give.
struct Expected {
  std::wstring text;  // empty: the caller checks it after the run
  std::uint32_t caption;
  std::vector<int> buttons;
  BoxIcon icon;
  int answer;
  std::function<void()> whileShown = {};
};

Expected Question() { return {Message(103), 104, {IDYES, IDNO}, BoxIcon::kNone, IDYES}; }
Expected Installed() { return {Message(110), 104, {IDOK}, BoxIcon::kNone, IDOK}; }
Expected SameVersion(int answer) { return {Message(147), 128, {IDYES, IDNO}, BoxIcon::kNone, answer}; }
Expected NewerInstalled() { return {Message(150), 128, {IDOK}, BoxIcon::kError, IDOK}; }
Expected NoPackage() { return {Message(139), 129, {IDOK}, BoxIcon::kError, IDOK}; }
// With a null tail the text is left to the caller.
Expected Failed(const wchar_t* tail) {
  return {tail != nullptr ? Message(106) + tail : L"", 104, {IDOK}, BoxIcon::kError, IDOK};
}

// A box of another process than the program and the test: msiexec's.
struct InstallerBoxSearch {
  DWORD program;
  HWND found;
};

BOOL CALLBACK FindInstallerBox(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<InstallerBoxSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (owner == search->program || owner == GetCurrentProcessId() || !IsWindowVisible(window) ||
      wcscmp(name, L"#32770") != 0) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

struct Outcome {
  std::string started;  // local time, as the log timestamp has it
  std::optional<DWORD> exitCode;
  std::string output;
  std::vector<std::wstring> texts;           // of the program's boxes
  std::vector<std::wstring> installerBoxes;  // texts of msiexec's own boxes
};

class PluginScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    if (MsiQueryProductStateW(kProduct) != INSTALLSTATE_UNKNOWN) {
      MsiConfigureProductW(kProduct, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
    }
    RegDeleteKeyExW(HKEY_CURRENT_USER, kMarker, KEY_WOW64_32KEY, 0);
    // A log directory of the test's own, so that every file in it is this test's.
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    tmp_ = testing::WorkDirectory() + L"\\" + std::wstring(name.begin(), name.end());
    CreateDirectoryW(tmp_.c_str(), nullptr);
    SetEnvironmentVariableW(L"TMP", tmp_.c_str());
  }

  // The installed state a scenario starts from, made without the bootstrapper.
  static void InstallDirectly(const wchar_t* dist) {
    ASSERT_EQ(MsiInstallProductW(Package(dist).c_str(), L"ADDNPORVEX=1 REBOOT=R"), 0u);
  }

  // Wine opens the cached copy of an installed product's package in place of
  // the file given, and fails when their versions differ; Windows reads the
  // file. Without the cached copy Wine reads the file too.
  static void DropCachedPackage() {
    const std::wstring cached = ProductInfo(INSTALLPROPERTY_LOCALPACKAGE);
    ASSERT_TRUE(DeleteFileW(cached.c_str())) << Utf8(cached);
  }

  // Runs the program in a distribution, checks that it shows the expected
  // boxes in order and no other, answers them, and OKs msiexec's own boxes.
  Outcome Run(const std::wstring& directory, const std::wstring& arguments, const std::vector<Expected>& boxes) {
    Outcome outcome{Now()};
    ProgramRun run;
    if (!run.Start(testing::ProgramPath(), arguments, directory)) {
      ADD_FAILURE() << "cannot start: " << GetLastError();
      return outcome;
    }
    for (std::size_t index = 0;; ++index) {
      const auto box = NextBox(run, outcome.installerBoxes);
      if (!box) {
        EXPECT_EQ(index, boxes.size()) << "the program ended before box " << index;
        break;
      }
      const std::string shown = Utf8(box->caption) + ": " + Utf8(box->text);
      if (index >= boxes.size()) {
        ADD_FAILURE() << "unexpected box " << shown;
        run.Press(*box, box->buttons.empty() ? IDOK : box->buttons.front());
        continue;
      }
      const Expected& expected = boxes[index];
      SCOPED_TRACE("box " + std::to_string(index) + " " + shown);
      outcome.texts.push_back(box->text);
      if (!expected.text.empty()) EXPECT_EQ(Utf8(box->text), Utf8(expected.text));
      EXPECT_EQ(Utf8(box->caption), Utf8(Message(expected.caption)));
      EXPECT_EQ(box->buttons, expected.buttons);
      EXPECT_EQ(testing::IconOf(*box), expected.icon);
      if (expected.whileShown) expected.whileShown();
      run.Press(*box, expected.answer);
    }
    outcome.exitCode = run.WaitForExit();
    outcome.output = run.Output();
    return outcome;
  }

  // The program's next box; msiexec's boxes met while waiting are answered.
  static std::optional<ShownBox> NextBox(ProgramRun& run, std::vector<std::wstring>& installerBoxes) {
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (GetTickCount64() < deadline) {
      if (auto box = run.WaitForBox(250)) return box;
      if (run.HasEnded()) return std::nullopt;
      InstallerBoxSearch search{run.ProcessId(), nullptr};
      EnumWindows(FindInstallerBox, reinterpret_cast<LPARAM>(&search));
      if (search.found == nullptr) continue;
      Sleep(100);
      wchar_t text[512] = {};
      GetDlgItemTextW(search.found, 0xFFFF, text, 512);
      installerBoxes.push_back(text);
      PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(search.found, IDOK)));
      for (int wait = 0; wait < 40 && IsWindow(search.found); ++wait) Sleep(50);
    }
    return std::nullopt;
  }

  std::vector<std::wstring> Logs() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((tmp_ + L"\\orvexcom-x64.msi_*.log").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(entry.cFileName);
    while (FindNextFileW(search, &entry));
    FindClose(search);
    return names;
  }

  struct Log {
    std::wstring path;
    std::string text;
  };

  // The log of a run that logged to TMP: the only one there, named after the
  // package and the timestamp that the program printed. It is then set
  // aside, as a run in the same second logs to the same name.
  Log LogOfRun(const Outcome& outcome) const {
    const std::vector<std::wstring> logs = Logs();
    std::smatch stamp;
    if (logs.size() != 1 || !std::regex_match(outcome.output, stamp, std::regex(R"((\d{4}(-\d\d){5})\n)"))) {
      ADD_FAILURE() << logs.size() << " logs, standard output '" << outcome.output << "'";
      return {};
    }
    EXPECT_LE(outcome.started, stamp[1].str()) << "the local time of the run";
    EXPECT_GE(Now(), stamp[1].str());
    EXPECT_EQ(Utf8(logs[0]), "orvexcom-x64.msi_" + stamp[1].str() + ".log");
    Log log{tmp_ + L"\\" + logs[0], ReadFile(tmp_ + L"\\" + logs[0])};
    MoveFileW(log.path.c_str(), (tmp_ + L"\\seen-" + logs[0]).c_str());
    return log;
  }

  std::wstring tmp_;
};

// What msiexec was told, as its verbose log lists the properties.
void ExpectProperties(const std::string& log, const wchar_t* dist, std::vector<std::string> properties) {
  properties.push_back("REBOOT = R");
  properties.push_back("UILevel = 3");  // the basic interface: /qb
  properties.push_back("OriginalDatabase = " + Utf8(Package(dist)));
  for (const std::string& property : properties) {
    const std::string line = "Property(S): " + property;
    EXPECT_TRUE(log.find(line + "\n") != std::string::npos || log.find(line + "\r\n") != std::string::npos) << line;
  }
}

class PluginInstall : public PluginScenario {};
class PluginVersions : public PluginScenario {};

// A first installation, then the same version again: declined, silent,
// agreed to and asked for by -reinstall.
TEST_F(PluginInstall, FreshInstallThenSameVersionAgain) {
  const std::wstring dist = Dist(L"normal-2.0.9");
  Outcome outcome = Run(dist, L"", {Question(), Installed()});
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_EQ(MsiQueryProductStateW(kProduct), INSTALLSTATE_DEFAULT);
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), L"2.0.9");
  EXPECT_EQ(MsiQueryFeatureStateW(kProduct, L"NPORVEX"), INSTALLSTATE_LOCAL);
  ExpectProperties(LogOfRun(outcome).text, L"normal-2.0.9", {"ADDNPORVEX = 1"});
  EXPECT_TRUE(outcome.installerBoxes.empty());
  EXPECT_FALSE(MarkerExists());

  outcome = Run(dist, L"", {Question(), SameVersion(IDNO)});
  EXPECT_EQ(outcome.exitCode, 1602u);
  EXPECT_EQ(outcome.output, "") << "no installer ran";
  EXPECT_TRUE(Logs().empty());

  outcome = Run(dist, L"-silent", {});
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_EQ(outcome.output, "") << "no installer ran";
  EXPECT_TRUE(Logs().empty());

  outcome = Run(dist, L"", {Question(), SameVersion(IDYES), Installed()});
  EXPECT_EQ(outcome.exitCode, 0u);
  ExpectProperties(LogOfRun(outcome).text, L"normal-2.0.9", {"REINSTALL = ALL", "REINSTALLMODE = vomus"});

  outcome = Run(dist, L"-reinstall", {Question(), Installed()});
  EXPECT_EQ(outcome.exitCode, 0u);
  ExpectProperties(LogOfRun(outcome).text, L"normal-2.0.9", {"REINSTALL = ALL", "REINSTALLMODE = vomus"});
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), L"2.0.9");
}

// A failing package, first with the program's own log, then with the
// user's log switch, which leaves the program's log out.
TEST_F(PluginInstall, FailureNamesTheLogUnlessTheUserChoseIt) {
  const std::wstring dist = Dist(L"fail-2.0.9");
  Outcome outcome = Run(dist, L"", {Question(), Failed(nullptr)});
  EXPECT_EQ(outcome.exitCode, 1603u);
  EXPECT_EQ(outcome.installerBoxes.size(), 1u) << "msiexec reports the failure itself under /qb";
  const Log log = LogOfRun(outcome);
  EXPECT_NE(log.text.find("OrvexSampleFail"), std::string::npos);
  ASSERT_EQ(outcome.texts.size(), 2u);
  EXPECT_EQ(Utf8(outcome.texts[1]), Utf8(Message(106) + L": 1603.\nInstall log: " + log.path));
  EXPECT_EQ(MsiQueryProductStateW(kProduct), INSTALLSTATE_UNKNOWN);
  EXPECT_FALSE(MarkerExists());

  const std::wstring own = tmp_ + L"\\own.log";
  outcome = Run(dist, L"-OrvexArgs \"/l*v " + own + L"\"", {Question(), Failed(L": 1603.\n")});
  EXPECT_EQ(outcome.exitCode, 1603u);
  EXPECT_EQ(outcome.output, "") << "no timestamp without a log of ours";
  EXPECT_TRUE(Logs().empty());
  ExpectProperties(ReadFile(own), L"fail-2.0.9", {"ADDNPORVEX = 1"});
}

// No package in the distribution: quiet under -silent until the product is
// installed, when the version comparison reports it whatever the switches.
TEST_F(PluginInstall, MissingPackage) {
  const std::wstring empty = testing::WorkDirectory() + L"\\empty-dist";
  CreateDirectoryW(empty.c_str(), nullptr);
  CreateDirectoryW((empty + L"\\x64").c_str(), nullptr);
  Outcome outcome = Run(empty, L"-silent", {});
  EXPECT_EQ(outcome.exitCode, 232u);
  EXPECT_EQ(outcome.output, "");

  outcome = Run(empty, L"", {Question(), NoPackage(), Failed(L": 232.\n")});
  EXPECT_EQ(outcome.exitCode, 232u);

  InstallDirectly(L"normal-2.0.9");
  outcome = Run(empty, L"-silent", {NoPackage()});
  EXPECT_EQ(outcome.exitCode, 232u);
  EXPECT_TRUE(Logs().empty());
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), L"2.0.9");
}

// Versions order by their numbers: 2.0.10 is newer than 2.0.9.
TEST_F(PluginVersions, UpdateWithoutQuestionAndNoDowngrade) {
  InstallDirectly(L"normal-2.0.9");
  DropCachedPackage();
  Outcome outcome = Run(Dist(L"normal-2.0.10"), L"", {Question(), Installed()});
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), L"2.0.10");
  EXPECT_EQ(MsiQueryFeatureStateW(kProduct, L"NPORVEX"), INSTALLSTATE_LOCAL);
  ExpectProperties(LogOfRun(outcome).text, L"normal-2.0.10", {"REINSTALL = ALL", "REINSTALLMODE = vomus"});

  DropCachedPackage();
  outcome = Run(Dist(L"normal-2.0.9"), L"", {Question(), NewerInstalled(), Installed()});
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_EQ(outcome.output, "") << "no installer ran";
  EXPECT_TRUE(Logs().empty());
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), L"2.0.10");
}

// A restart the package asks for is kept while -norestart is given, and
// offered by the next successful run, which removes the mark before asking.
TEST_F(PluginVersions, RestartIsRememberedAndOfferedByTheNextRun) {
  Outcome outcome = Run(Dist(L"reboot-2.0.9"), L"-norestart", {Question(), Installed()});
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_TRUE(MarkerExists());
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), L"2.0.9");

  outcome = Run(Dist(L"normal-2.0.9"), L"-silent -norestart", {});
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_TRUE(MarkerExists());

  Expected restart{Message(108), 104, {IDYES, IDNO}, BoxIcon::kExclamation, IDNO,
                   [] { EXPECT_FALSE(MarkerExists()) << "removed before asking"; }};
  outcome = Run(Dist(L"normal-2.0.9"), L"-reinstall", {Question(), restart});
  EXPECT_EQ(outcome.exitCode, 0u);
  EXPECT_FALSE(MarkerExists());
}

}  // namespace
}  // namespace orvex
