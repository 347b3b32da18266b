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
  // Every other number of the blocks in use, and the block beyond, loads nothing.
  std::uint32_t end = 0;
  for (const MessageSourceEntry& entry : kMessageSource) end = std::max(end, (entry.id / 16 + 2) * 16);
  for (std::uint32_t id = 0; id < end; ++id) {
    bool inCatalogue = false;
    for (const MessageSourceEntry& entry : kMessageSource) inCatalogue |= entry.id == id;
    if (inCatalogue) continue;
    WideString text(u"unchanged");
    EXPECT_FALSE(win32::LoadMessageFrom(module_, id, text)) << id;
    EXPECT_EQ(std::u16string(text.c_str()), u"unchanged") << id;
  }
}

TEST_F(ProgramResources, StringTableIsRussianOnly) {
  for (const MessageSourceEntry& entry : kMessageSource) {
    const std::uint32_t block = entry.id / 16 + 1;
    EXPECT_FALSE(Resource(RT_STRING, MAKEINTRESOURCEW(block), kRussian).empty()) << block;
    EXPECT_TRUE(Resource(RT_STRING, MAKEINTRESOURCEW(block), kEnglishUs).empty()) << block;
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

// The controls and their views are checked on the shown dialog; here what
// only the template holds.
INT_PTR CALLBACK PlainDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST_F(ProgramResources, SelectionDialogTitleAndWelcomeTextAndNoVersionResource) {
  HWND dialog = CreateDialogParamW(module_, MAKEINTRESOURCEW(ORVEX_DIALOG_SELECTION), nullptr, PlainDialog, 0);
  ASSERT_NE(dialog, nullptr);
  wchar_t text[256];
  GetWindowTextW(dialog, text, 256);
  EXPECT_STREQ(text, L"CSPSetup");
  GetDlgItemTextW(dialog, ORVEX_ID_WELCOME_TEXT, text, 256);
  const std::wstring welcome = text;
  EXPECT_EQ(std::count(welcome.begin(), welcome.end(), L'\n'), 5);
  EXPECT_NE(welcome.find(L"\n\nБлагодарим за выбор Велтон CSP.\nДля продолжения установки нажимте \"Далее\",\n"),
            std::wstring::npos);
  const std::wstring lastLine = L"\nЕсли вы не знаете, что выбирать, нажмите \"Далее\".";
  EXPECT_EQ(welcome.substr(welcome.size() - lastLine.size()), lastLine);
  DestroyWindow(dialog);
  EXPECT_EQ(FindResourceW(module_, MAKEINTRESOURCEW(1), RT_VERSION), nullptr);
}

}  // namespace
}  // namespace orvex
