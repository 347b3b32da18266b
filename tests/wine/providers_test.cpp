// The providers' setup programs and the selection dialog, driven through the
// real orvexplugin.exe in the sample distribution: what the Setup.exe
// stand-ins are given and in which order, the boxes and exit codes, and what
// Windows Installer holds afterwards.
#include <windows.h>
#include <msi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "install/providers.h"
#include "plugin_scenario.h"
#include "resources/resource_ids.h"

namespace orvex {
namespace {

using driver::kProduct;
using driver::Lines;
using driver::LocalStamp;
using driver::Message;
using driver::ProgramRun;
using driver::RemovePlugin;
using driver::ShownBox;
using driver::Utf8;

std::wstring Distribution() { return driver::Dist(L"normal-2.0.10"); }

bool PluginInstalled() { return MsiQueryProductStateW(kProduct) == INSTALLSTATE_DEFAULT; }

std::wstring Text(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

// One run of the program with a TMP of its own and the exit codes the
// Setup.exe stand-ins are to give (null: 0).
class Scenario {
 public:
  explicit Scenario(const wchar_t* arguments, const wchar_t* cspExit = nullptr, const wchar_t* ucspExit = nullptr) {
    static int count = 0;
    tmp_ = driver::WorkDirectory() + L"\\tmp" + std::to_wstring(++count);
    CreateDirectoryW(tmp_.c_str(), nullptr);
    SetEnvironmentVariableW(L"TMP", tmp_.c_str());
    SetEnvironmentVariableW(L"ORVEX_STUB_EXIT_CSP", cspExit);
    SetEnvironmentVariableW(L"ORVEX_STUB_EXIT_UCSP", ucspExit);
    started_ = LocalStamp();
    EXPECT_TRUE(run.Start(driver::ProgramPath(), arguments, Distribution())) << GetLastError();
  }

  // Empty logs for each second of the next half minute, as if the setup
  // program had written its log where it was told to.
  void WriteLogsAhead(const std::wstring& directory) const {
    for (int second = 0; second < 30; ++second) {
      const std::string stamp = LocalStamp(second);
      const std::wstring path = tmp_ + L"\\" + directory + L"_" + std::wstring(stamp.begin(), stamp.end()) + L".log";
      CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
  }

  // The command lines the stand-ins recorded, in order.
  std::vector<std::string> Calls() const {
    return Lines(driver::ReadWholeFile(tmp_ + L"\\setup-calls.log"));
  }

  // After the end: the calls equal expected, where each <log> stands for
  // TMP\<directory>_<stamp>.log with the next stamp the program printed.
  // Returns how many stamps it printed.
  std::size_t ExpectCalls(std::vector<std::string> expected) {
    const std::vector<std::string> stamps = Lines(run.Output());
    const std::string finished = LocalStamp();
    for (const std::string& stamp : stamps) {
      EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{4}(-\d\d){5})"))) << stamp;
      EXPECT_TRUE(started_ <= stamp && stamp <= finished) << stamp << " is not local time during the run";
    }
    std::size_t used = 0;
    for (std::string& line : expected) {
      const std::size_t at = line.find("<log>");
      if (at == std::string::npos) continue;
      const std::string stamp = used < stamps.size() ? stamps[used++] : "<no stamp printed>";
      line.replace(at, 5, "\"\"\"" + Utf8(tmp_) + "\\" + line.substr(0, line.find('\\')) + "_" + stamp + ".log\"\"\"");
    }
    EXPECT_EQ(Calls(), expected);
    return stamps.size();
  }

  const std::wstring& Tmp() const { return tmp_; }

  ProgramRun run;

 private:
  std::wstring tmp_;
  std::string started_;
};

// Waits for the next box, checks its text unless text is empty and its
// buttons (caption and style: windows_calls.txt), answers it; returns its text.
std::wstring Answer(ProgramRun& run, const std::wstring& text, int answer) {
  const auto box = run.WaitForBox();
  EXPECT_TRUE(box.has_value()) << "no box came: " << Utf8(text);
  if (!box.has_value()) return L"<no box>";
  if (!text.empty()) EXPECT_EQ(Utf8(box->text), Utf8(text));
  EXPECT_EQ(box->buttons, (answer == IDOK ? std::vector<int>{IDOK} : std::vector<int>{IDYES, IDNO}));
  run.Press(*box, answer);
  return box->text;
}

// A provider's setup as it runs without arguments of the administrator's.
std::string SetupCall(const char16_t* subdirectory) {
  return Utf8(reinterpret_cast<const wchar_t*>(subdirectory)) + "\\Setup.exe -args \"/qb /Lv! <log> \" -noreboot -root";
}
const std::string kCsp = SetupCall(u"csp");
const std::string kUcsp = SetupCall(u"ucsp");

struct FlowCase {
  std::wstring arguments;
  const wchar_t* cspExit;
  const wchar_t* ucspExit;
  std::uint32_t question, closing;  // 0: no box
  std::vector<std::string> calls;
};

// Every provider of the table, asked for in the reverse of its order: each
// runs, in the table's order, and the boxes are those of the whole set.
FlowCase EveryProvider() {
  FlowCase every{L"", nullptr, nullptr, 0, 0, {}};
  InstallOptions options;
  for (int id = kProviderCount - 1; id >= 0; --id) {
    every.arguments += reinterpret_cast<const wchar_t*>(kProviders[id].selectSwitch) + std::wstring(L" ");
    options.installProvider[id] = true;
  }
  for (const Provider& provider : kProviders) every.calls.push_back(SetupCall(provider.subdirectory));
  every.question = TextsForProviders(options).confirmation;
  every.closing = TextsForProviders(options).closing;
  return every;
}

TEST(ProviderSetup, ProvidersRunInOrderWithTheirCommandLinesThenThePlugin) {
  // Which exit codes count as success, and which boxes each set shows, the
  // native tables hold; these take real processes: the command lines as the
  // setup programs receive them, and an accepted exit code read from one.
  const FlowCase cases[] = {
      EveryProvider(),
      // No dialog under -silent; values verbatim, a quiet level or a log of
      // their own keeps ours away.
      {L"-silent -selectDlg -reinstall -noupdate -ucsp -UCSPArgs \"/L*v u.log\" -csp -CSPArgs /qn -CSPArgs A=1",
       L"1602", nullptr, 0, 0,
       {"csp\\Setup.exe -args \"/Lv! <log> /qn A=1 \" -noreboot -root -silent -reinstall -noupdate",
        "ucsp\\Setup.exe -args \"/qb /L*v u.log \" -noreboot -root -silent -reinstall -noupdate"}},
  };
  for (const FlowCase& c : cases) {
    SCOPED_TRACE(Utf8(c.arguments));
    RemovePlugin();
    Scenario s(c.arguments.c_str(), c.cspExit, c.ucspExit);
    if (c.question != 0) Answer(s.run, Message(c.question), IDYES);
    if (c.closing != 0) Answer(s.run, Message(c.closing), IDOK);
    EXPECT_FALSE(s.run.WaitForBox().has_value()) << "no other box";
    EXPECT_EQ(s.run.WaitForExit(), 0u);
    const auto logs = std::count_if(c.calls.begin(), c.calls.end(),
                                    [](const std::string& call) { return call.find("<log>") != std::string::npos; });
    EXPECT_EQ(s.ExpectCalls(c.calls), static_cast<std::size_t>(logs) + 1) << "then the plug-in's msiexec log";
    EXPECT_TRUE(PluginInstalled());
  }
}

// -csp -ucsp with one setup failing; a missing Setup.exe is the bootstrapper
// group's.
struct FailureCase {
  const wchar_t* cspExit;
  const wchar_t* ucspExit;
  const wchar_t* logged;  // the failing provider, when its setup wrote its log
  DWORD code;
  std::vector<std::string> calls;
};

TEST(ProviderSetup, FailingSetupEndsTheRunWithItsCode) {
  const FailureCase cases[] = {
      // A restart request is a failure, and the UCSP is not started.
      {L"3010", nullptr, nullptr, 3010, {kCsp}},
      {nullptr, L"1603", L"ucsp", 1603, {kCsp, kUcsp}},
      // A setup program that crashes: the exception code, whole and unsigned.
      {L"-1073741819", nullptr, nullptr, 0xC0000005u, {kCsp}},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE("exit " + std::to_string(c.code));
    RemovePlugin();
    Scenario s(L"-csp -ucsp", c.cspExit, c.ucspExit);
    if (c.logged != nullptr) s.WriteLogsAhead(c.logged);
    Answer(s.run, Message(125), IDYES);
    const std::wstring failure = Answer(s.run, L"", IDOK);
    EXPECT_FALSE(s.run.WaitForBox().has_value()) << "no other box";
    EXPECT_EQ(s.run.WaitForExit(), c.code);
    const std::size_t stamps = s.ExpectCalls(c.calls);
    EXPECT_FALSE(PluginInstalled());
    std::wstring expected = Message(105) + L": " + std::to_wstring(c.code) + L".\n";
    // The failing setup's log is named only when a file is there; its
    // stamp is the last one printed.
    if (c.logged != nullptr && stamps > 0) {
      const std::string stamp = Lines(s.run.Output())[stamps - 1];
      expected += L"Install log: " + s.Tmp() + L"\\" + c.logged + L"_" + std::wstring(stamp.begin(), stamp.end()) + L".log";
    }
    EXPECT_EQ(Utf8(failure), Utf8(expected));
  }
}

// The dialog's controls, and in which view each one shows.
enum class Shown { kAlways, kWelcome, kOptions };
struct DialogControl {
  int id;
  const wchar_t* text;  // of the welcome text its first line; null: the toggle's caption
  Shown shown;
};
const DialogControl kControls[] = {
    {ORVEX_ID_NEXT, L"Далее", Shown::kAlways},
    {IDCANCEL, L"Отмена", Shown::kAlways},
    {ORVEX_ID_RUSSIAN, L"Русский", Shown::kOptions},
    {ORVEX_ID_ENGLISH, L"English", Shown::kOptions},
    {ORVEX_ID_KC1, L"KC1", Shown::kOptions},
    {ORVEX_ID_KC2, L"KC2", Shown::kOptions},
    {ORVEX_ID_KC3, L"KC3", Shown::kOptions},
    {ORVEX_ID_LANGUAGE_FRAME, L"Язык установки:", Shown::kOptions},
    {ORVEX_ID_LEVEL_FRAME, L"Уровень безопасности:", Shown::kOptions},
    {ORVEX_ID_BANNER_FRAME, L"ВЕЛТОН - ключевое слово в защите информации", Shown::kWelcome},
    {ORVEX_ID_WELCOME_TEXT, L"https://velton.example/\n", Shown::kWelcome},
    {ORVEX_ID_OPTIONS, nullptr, Shown::kAlways},
};

void ExpectView(HWND dialog, bool options) {
  SCOPED_TRACE(options ? "options view" : "welcome view");
  for (const DialogControl& c : kControls) {
    SCOPED_TRACE(c.id);
    const HWND control = GetDlgItem(dialog, c.id);
    ASSERT_NE(control, nullptr);
    const std::wstring expected = c.text != nullptr ? c.text : Message(options ? 142 : 143);
    std::wstring text = Text(control);
    if (c.id == ORVEX_ID_WELCOME_TEXT) text = text.substr(0, expected.size());
    EXPECT_EQ(Utf8(text), Utf8(expected));
    EXPECT_EQ(IsWindowVisible(control) != 0, c.shown == Shown::kAlways || (c.shown == Shown::kOptions) == options);
  }
}

// The marked radio buttons: the language's, then the level's.
std::vector<int> Marks(HWND dialog) {
  std::vector<int> marked;
  for (int id = ORVEX_ID_RUSSIAN; id <= ORVEX_ID_KC3; ++id) {
    if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) marked.push_back(id);
  }
  return marked;
}

// As a mouse click does: the button marks itself and tells the dialog.
void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Starts -csp -selectDlg and answers the question; the dialog follows.
std::optional<ShownBox> OpenDialog(Scenario& s) {
  Answer(s.run, Message(102), IDYES);
  auto dialog = s.run.WaitForBox();
  EXPECT_TRUE(dialog.has_value() && dialog->caption == L"CSPSetup") << "no dialog after the question";
  if (dialog.has_value() && dialog->caption != L"CSPSetup") dialog.reset();
  return dialog;
}

TEST(SelectionDialog, ViewsToggleKeepingTheMarksAndNextRunsTheCsp) {
  RemovePlugin();
  Scenario s(L"-csp -selectDlg");
  const auto box = OpenDialog(s);
  ASSERT_TRUE(box.has_value());
  const HWND dialog = box->window;
  EXPECT_TRUE(s.Calls().empty()) << "the CSP waits for the dialog";

  ExpectView(dialog, false);
  const std::vector<int> marks = Marks(dialog);
  ASSERT_EQ(marks.size(), 2u);
  EXPECT_EQ(marks[1], ORVEX_ID_KC1);
  Click(dialog, ORVEX_ID_OPTIONS);
  ExpectView(dialog, true);
  Click(dialog, ORVEX_ID_KC3);
  const std::vector<int> changed{marks[0], ORVEX_ID_KC3};
  EXPECT_EQ(Marks(dialog), changed);
  Click(dialog, ORVEX_ID_OPTIONS);
  ExpectView(dialog, false);
  Click(dialog, ORVEX_ID_OPTIONS);
  ExpectView(dialog, true);
  EXPECT_EQ(Marks(dialog), changed);

  s.run.Press(*box, ORVEX_ID_NEXT);
  Answer(s.run, Message(109), IDOK);
  EXPECT_EQ(s.run.WaitForExit(), 0u);
  s.ExpectCalls({kCsp});
  EXPECT_TRUE(PluginInstalled());
}

struct CancelCase {
  const char* how;
  bool fromOptions;
  UINT message;
  WPARAM wParam;
};

TEST(SelectionDialog, CancelEscAndCloseBoxEndTheRunWithNothingInstalled) {
  const CancelCase cases[] = {
      {"Отмена", false, 0, 0},
      {"Esc", true, WM_KEYDOWN, VK_ESCAPE},
  };
  for (const CancelCase& c : cases) {
    SCOPED_TRACE(c.how);
    RemovePlugin();
    Scenario s(L"-csp -selectDlg");
    const auto box = OpenDialog(s);
    ASSERT_TRUE(box.has_value());
    const HWND dialog = box->window;
    if (c.fromOptions) Click(dialog, ORVEX_ID_OPTIONS);
    if (c.message == 0) {
      Click(dialog, IDCANCEL);
    } else {
      PostMessageW(dialog, c.message, c.wParam, 0);
    }
    for (int i = 0; i < 100 && IsWindowVisible(dialog); ++i) Sleep(50);
    EXPECT_FALSE(s.run.WaitForBox().has_value()) << "no box after the dialog";
    EXPECT_EQ(s.run.WaitForExit(), 0u);
    EXPECT_EQ(s.run.Output(), "") << "not even a log path was made";
    EXPECT_TRUE(s.Calls().empty());
    EXPECT_FALSE(PluginInstalled());
  }
}

// Run once per group, each group in its own Unix locale (run_group.sh
// --locale), which Wine makes the system's user-interface language.
TEST(SelectionDialogLanguage, MarksFollowTheSystemLanguage) {
  struct LanguageCase {
    const wchar_t* locale;
    LANGID language;
    int marked;
  };
  const LanguageCase cases[] = {
      {L"en_US.UTF-8", 0x0409, ORVEX_ID_ENGLISH},
      {L"ru_RU.UTF-8", 0x0419, ORVEX_ID_RUSSIAN},
      // Russian of another country is not Russian as used in Russia.
      {L"ru_MD.UTF-8", 0x0819, ORVEX_ID_ENGLISH},
  };
  const std::wstring locale = driver::Environment(L"LC_ALL");
  const auto* c = std::find_if(std::begin(cases), std::end(cases),
                               [&](const LanguageCase& row) { return locale == row.locale; });
  ASSERT_NE(c, std::end(cases)) << "no case for LC_ALL=" << Utf8(locale);
  // The program, started from here, inherits this process's locale.
  ASSERT_EQ(GetSystemDefaultUILanguage(), c->language) << "Wine did not take the locale " << Utf8(locale);

  Scenario s(L"-csp -selectDlg");
  const auto box = OpenDialog(s);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(Marks(box->window), (std::vector<int>{c->marked, ORVEX_ID_KC1}));
  Click(box->window, IDCANCEL);
  EXPECT_EQ(s.run.WaitForExit(), 0u);
}

}  // namespace
}  // namespace orvex
