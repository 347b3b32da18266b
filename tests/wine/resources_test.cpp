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

class ProgramResources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = driver::ProgramModule();
    ASSERT_NE(module_, nullptr) << "cannot open " << driver::Utf8(driver::ProgramPath());
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
