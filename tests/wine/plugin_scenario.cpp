#include "plugin_scenario.h"

#include <msi.h>

#include <algorithm>
#include <regex>

namespace orvex::driver {

std::wstring Dist(const wchar_t* name) { return Environment(L"ORVEX_DISTS") + L"\\" + name; }
std::wstring Package(const wchar_t* dist) { return PackageIn(Dist(dist)); }

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

void RemovePlugin() {
  MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
  if (MsiQueryProductStateW(kProduct) == INSTALLSTATE_UNKNOWN) return;
  // A product of the reboot variant asks for a restart on removal too.
  const UINT status = MsiConfigureProductW(kProduct, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT);
  ASSERT_TRUE(status == 0 || status == ERROR_SUCCESS_REBOOT_REQUIRED) << status;
}

Expected Question(std::uint32_t message) { return {Message(message), IDYES}; }
Expected Installed(std::uint32_t message) { return {Message(message), IDOK}; }
Expected SameVersion(int answer) { return {Message(147), answer}; }
Expected NewerInstalled() { return {Message(150), IDOK}; }
Expected NoPackage() { return InstallError(139); }
Expected InstallError(std::uint32_t message) { return {Message(message), IDOK}; }
Expected Failed(const wchar_t* tail) { return {tail != nullptr ? Message(106) + tail : L"", IDOK}; }

void PluginScenario::SetUp() {
  RemovePlugin();
  RegDeleteKeyExW(HKEY_CURRENT_USER, kMarker, KEY_WOW64_32KEY, 0);
  // A log directory of the test's own, so that every file in it is this test's.
  const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  tmp_ = WorkDirectory() + L"\\" + std::wstring(name.begin(), name.end());
  CreateDirectoryW(tmp_.c_str(), nullptr);
  SetEnvironmentVariableW(L"TMP", tmp_.c_str());
}

void PluginScenario::TearDown() {
  if (token_ != nullptr) CloseHandle(token_);
}

void PluginScenario::InstallDirectly(const wchar_t* dist) {
  ASSERT_EQ(MsiInstallProductW(Package(dist).c_str(), L"ADDNPORVEX=1 REBOOT=R"), 0u);
}

void PluginScenario::DropCachedPackage() {
  const std::wstring cached = ProductInfo(INSTALLPROPERTY_LOCALPACKAGE);
  ASSERT_TRUE(DeleteFileW(cached.c_str())) << Utf8(cached);
}

namespace {

// Wine's msiexec writes its log in the ANSI code page.
std::wstring FromAnsi(const std::string& ansi) {
  const int size = static_cast<int>(ansi.size());
  std::wstring text(ansi.size(), L'\0');
  text.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, text.data(), size)));
  return text;
}

std::string ToAnsi(const std::wstring& text) {
  const int size = static_cast<int>(text.size());
  std::string ansi(text.size() * 2, '\0');
  ansi.resize(static_cast<std::size_t>(
      WideCharToMultiByte(CP_ACP, 0, text.data(), size, ansi.data(), size * 2, nullptr, nullptr)));
  return ansi;
}

// The program's next box; msiexec's boxes met while waiting are answered.
std::optional<ShownBox> NextBox(ProgramRun& run, std::vector<std::wstring>& installerBoxes) {
  const ULONGLONG deadline = GetTickCount64() + 60000;
  while (GetTickCount64() < deadline) {
    if (auto box = run.WaitForBox(250)) return box;
    if (run.HasEnded()) return std::nullopt;
    const auto other = FindOtherBox(run.ProcessId());
    if (!other) continue;
    installerBoxes.push_back(other->text);
    PostMessageW(other->window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(other->window, IDOK)));
    for (int wait = 0; wait < 40 && IsWindow(other->window); ++wait) Sleep(50);
  }
  return std::nullopt;
}

}  // namespace

Outcome PluginScenario::Run(const std::wstring& directory, const std::wstring& arguments,
                            const std::vector<Expected>& boxes) {
  Outcome outcome{LocalStamp()};
  ProgramRun run;
  if (!run.Start(ProgramPath(), arguments, directory, token_)) {
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
    // The relay log cuts long texts, and a restart question and a closing
    // box begin alike: their buttons tell them apart.
    EXPECT_EQ(box->buttons, (expected.answer == IDOK ? std::vector<int>{IDOK} : std::vector<int>{IDYES, IDNO}));
    if (expected.whileShown) expected.whileShown();
    run.Press(*box, expected.answer);
  }
  outcome.exitCode = run.WaitForExit();
  outcome.output = run.Output();
  return outcome;
}

std::vector<std::wstring> PluginScenario::Logs() const {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((tmp_ + L"\\orvexcom-" + PackageArch() + L".msi_*.log").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(entry.cFileName);
  while (FindNextFileW(search, &entry));
  FindClose(search);
  return names;
}

PluginScenario::Log PluginScenario::LogOfRun(const Outcome& outcome) const {
  const std::vector<std::wstring> logs = Logs();
  const std::vector<std::string> stamps = Lines(outcome.output);
  const bool stampsOnly = std::all_of(stamps.begin(), stamps.end(), [](const std::string& line) {
    return std::regex_match(line, std::regex(R"(\d{4}(-\d\d){5})"));
  });
  if (logs.size() != 1 || stamps.empty() || !stampsOnly) {
    ADD_FAILURE() << logs.size() << " logs, standard output '" << outcome.output << "'";
    return {};
  }
  EXPECT_LE(outcome.started, stamps.back()) << "the local time of the run";
  EXPECT_GE(LocalStamp(), stamps.back());
  EXPECT_EQ(Utf8(logs[0]), "orvexcom-" + Utf8(PackageArch()) + ".msi_" + stamps.back() + ".log");
  Log log{tmp_ + L"\\" + logs[0], Utf8(FromAnsi(ReadWholeFile(tmp_ + L"\\" + logs[0])))};
  MoveFileW(log.path.c_str(), (tmp_ + L"\\seen-" + logs[0]).c_str());
  return log;
}

void ExpectProperties(const std::string& log, const std::wstring& package, std::vector<std::string> properties) {
  properties.push_back("REBOOT = R");
  properties.push_back("UILevel = 3");  // the basic interface: /qb
  // As the log can hold it: letters outside the ANSI code page become '?'.
  properties.push_back("OriginalDatabase = " + Utf8(FromAnsi(ToAnsi(package))));
  for (const std::string& property : properties) {
    const std::string line = "Property(S): " + property;
    EXPECT_TRUE(log.find(line + "\n") != std::string::npos || log.find(line + "\r\n") != std::string::npos) << line;
  }
}

}  // namespace orvex::driver
