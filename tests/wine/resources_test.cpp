// The resources of the built program, read from the file itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "program_driver.h"
#include "resources/message_source.h"
#include "win32/win32_platform.h"
#include "resources/resource_ids.h"

namespace orvex {
namespace {

constexpr WORD kRussian = MAKELANGID(LANG_RUSSIAN, SUBLANG_RUSSIAN_RUSSIA);
constexpr WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

class ProgramResources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = driver::ProgramModule();
    ASSERT_NE(module_, nullptr) << "cannot open " << driver::Utf8(driver::ProgramPath());
  }

  static std::string Resource(LPCWSTR type, LPCWSTR name, WORD language) {
    HRSRC found = FindResourceExW(module_, type, name, language);
    if (found == nullptr) return {};
    const char* data = static_cast<const char*>(LockResource(LoadResource(module_, found)));
    return std::string(data, SizeofResource(module_, found));
  }

  static HMODULE module_;
};

HMODULE ProgramResources::module_ = nullptr;

TEST_F(ProgramResources, StringTableHoldsExactlyTheCatalogue) {
  for (const MessageSourceEntry& entry : kMessageSource) {
    WideString text(u"unchanged");
    ASSERT_TRUE(win32::LoadMessageFrom(module_, entry.id, text)) << entry.id;
    EXPECT_EQ(std::u16string(text.c_str(), text.Length()), std::u16string(entry.text)) << entry.id;
  }
  // Every other number of the blocks in use, and beyond, loads nothing.
  for (std::uint32_t id = 0; id < 16 * 12; ++id) {
    bool inCatalogue = false;
    for (const MessageSourceEntry& entry : kMessageSource) inCatalogue |= entry.id == id;
    if (inCatalogue) continue;
    WideString text(u"unchanged");
    EXPECT_FALSE(win32::LoadMessageFrom(module_, id, text)) << id;
    EXPECT_EQ(std::u16string(text.c_str()), u"unchanged") << id;
  }
}

TEST_F(ProgramResources, StringTableIsRussianOnly) {
  for (std::uint32_t block = 7; block <= 10; ++block) {
    EXPECT_FALSE(Resource(RT_STRING, MAKEINTRESOURCEW(block), kRussian).empty()) << block;
    EXPECT_TRUE(Resource(RT_STRING, MAKEINTRESOURCEW(block), kEnglishUs).empty()) << block;
  }
}

TEST_F(ProgramResources, ManifestAsksForAdministratorAndCommonControls) {
  const std::string manifest = Resource(RT_MANIFEST, MAKEINTRESOURCEW(1), kEnglishUs);
  ASSERT_FALSE(manifest.empty());
  for (const char* part : {"level=\"requireAdministrator\"", "uiAccess=\"false\"", "Microsoft.Windows.Common-Controls",
                           "version=\"6.0.0.0\"", "processorArchitecture=\"*\"", "language=\"*\"",
                           "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
}

TEST_F(ProgramResources, IconGroupHoldsFourImages) {
  const std::string group = Resource(RT_GROUP_ICON, MAKEINTRESOURCEW(ORVEX_ICON_MAIN), kRussian);
  ASSERT_GE(group.size(), 6u);
  const auto* header = reinterpret_cast<const WORD*>(group.data());
  ASSERT_EQ(header[2], 4);
  ASSERT_EQ(group.size(), 6u + 4u * 14u);
  struct Image {
    BYTE width, height, colours;
    WORD bits;
  };
  const Image expected[] = {{16, 16, 0, 8}, {16, 16, 16, 4}, {32, 32, 0, 8}, {32, 32, 16, 4}};
  for (int i = 0; i < 4; ++i) {
    const auto* entry = reinterpret_cast<const BYTE*>(group.data() + 6 + 14 * i);
    EXPECT_EQ(entry[0], expected[i].width);
    EXPECT_EQ(entry[1], expected[i].height);
    EXPECT_EQ(entry[2], expected[i].colours);
    EXPECT_EQ(*reinterpret_cast<const WORD*>(entry + 6), expected[i].bits);
  }
}

TEST_F(ProgramResources, SelectionDialogTemplateAndNoVersionResource) {
  const std::string dialog = Resource(RT_DIALOG, MAKEINTRESOURCEW(ORVEX_DIALOG_SELECTION), kRussian);
  ASSERT_GT(dialog.size(), 26u);
  const auto* words = reinterpret_cast<const WORD*>(dialog.data());
  EXPECT_EQ(words[0], 1);       // extended template
  EXPECT_EQ(words[1], 0xFFFF);
  const DWORD exStyle = *reinterpret_cast<const DWORD*>(dialog.data() + 8);
  const DWORD style = *reinterpret_cast<const DWORD*>(dialog.data() + 12);
  EXPECT_EQ(style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT |
                                      DS_FIXEDSYS));
  EXPECT_EQ(exStyle, static_cast<DWORD>(WS_EX_WINDOWEDGE));
  EXPECT_EQ(words[8], 12);  // controls
  const short* geometry = reinterpret_cast<const short*>(dialog.data() + 18);
  EXPECT_EQ(geometry[0], 0);
  EXPECT_EQ(geometry[1], 0);
  EXPECT_EQ(geometry[2], 204);
  EXPECT_EQ(geometry[3], 143);

  HRSRC version = FindResourceW(module_, MAKEINTRESOURCEW(1), RT_VERSION);
  EXPECT_EQ(version, nullptr);
}

INT_PTR CALLBACK PlainDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST_F(ProgramResources, SelectionDialogControlsAsLaidOut) {
  HWND dialog = CreateDialogParamW(module_, MAKEINTRESOURCEW(ORVEX_DIALOG_SELECTION), nullptr, PlainDialog, 0);
  ASSERT_NE(dialog, nullptr);
  wchar_t text[256];
  GetWindowTextW(dialog, text, 256);
  EXPECT_STREQ(text, L"CSPSetup");
  struct Control {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    RECT units;  // x, y, width, height in dialog units
    DWORD style;  // besides WS_CHILD
  };
  const Control controls[] = {
      {ORVEX_ID_NEXT, L"Button", L"Далее", {90, 122, 50, 14}, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
      {IDCANCEL, L"Button", L"Отмена", {147, 122, 50, 14}, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
      {ORVEX_ID_RUSSIAN, L"Button", L"Русский", {12, 20, 42, 8}, WS_GROUP | BS_AUTORADIOBUTTON},
      {ORVEX_ID_ENGLISH, L"Button", L"English", {12, 32, 42, 8}, BS_AUTORADIOBUTTON},
      {ORVEX_ID_KC1, L"Button", L"KC1", {14, 69, 30, 8}, WS_GROUP | BS_AUTORADIOBUTTON},
      {ORVEX_ID_KC2, L"Button", L"KC2", {14, 82, 30, 8}, BS_AUTORADIOBUTTON},
      {ORVEX_ID_KC3, L"Button", L"KC3", {14, 94, 30, 8}, BS_AUTORADIOBUTTON},
      {ORVEX_ID_LANGUAGE_FRAME, L"Button", L"Язык установки:", {6, 6, 191, 44}, BS_GROUPBOX},
      {ORVEX_ID_LEVEL_FRAME, L"Button", L"Уровень безопасности:", {6, 55, 191, 54}, BS_GROUPBOX},
      {ORVEX_ID_BANNER_FRAME, L"Button", L"ВЕЛТОН - ключевое слово в защите информации", {6, 6, 191, 103},
       WS_VISIBLE | BS_GROUPBOX},
      {ORVEX_ID_OPTIONS, L"Button", L"Опции", {7, 122, 50, 14}, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
      {ORVEX_ID_WELCOME_TEXT, L"Static", nullptr, {15, 28, 174, 74}, WS_VISIBLE | WS_GROUP | SS_LEFT},
  };
  HWND child = GetWindow(dialog, GW_CHILD);
  for (const Control& c : controls) {
    SCOPED_TRACE(c.id);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetDlgCtrlID(child), c.id) << "template order";
    wchar_t className[32];
    GetClassNameW(child, className, 32);
    EXPECT_EQ(_wcsicmp(className, c.className), 0);
    if (c.text != nullptr) {
      GetWindowTextW(child, text, 256);
      EXPECT_EQ(driver::Utf8(text), driver::Utf8(c.text));
    }
    // The dialog is not shown, so WS_VISIBLE is read from the style itself.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE)) & ~WS_CHILD & 0xFFFF00FFu, c.style & 0xFFFF00FFu);
    // Each of x, y, width and height is converted on its own, as the dialog
    // manager does.
    RECT expected = c.units;
    MapDialogRect(dialog, &expected);
    RECT actual;
    GetWindowRect(child, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right - actual.left, expected.right);
    EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr);
  GetDlgItemTextW(dialog, ORVEX_ID_WELCOME_TEXT, text, 256);
  const std::wstring welcome = text;
  EXPECT_EQ(std::count(welcome.begin(), welcome.end(), L'\n'), 5);
  EXPECT_NE(welcome.find(L"\n\nБлагодарим за выбор Велтон CSP.\nДля продолжения установки нажимте \"Далее\",\n"),
            std::wstring::npos);
  const std::wstring lastLine = L"\nЕсли вы не знаете, что выбирать, нажмите \"Далее\".";
  EXPECT_EQ(welcome.substr(welcome.size() - lastLine.size()), lastLine);
  DestroyWindow(dialog);
}

}  // namespace
}  // namespace orvex
