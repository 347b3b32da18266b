#include <windows.h>
#include <shellapi.h>

#include "win32/unique_handle.h"
#include "win32/win32_platform.h"

namespace orvex::win32 {

static_assert(box::kOk == MB_OK && box::kYesNo == MB_YESNO && box::kIconError == MB_ICONERROR &&
              box::kIconExclamation == MB_ICONEXCLAMATION && box::kIconInformation == MB_ICONINFORMATION);
static_assert(box::kIdOk == IDOK && box::kIdYes == IDYES && box::kIdNo == IDNO);
static_assert(sizeof(wchar_t) == sizeof(char16_t));

int Win32Ui::ShowMessageBox(const WideString& text, const WideString& caption, std::uint32_t style) noexcept {
  return ::MessageBoxW(nullptr, Wide(text.c_str()), Wide(caption.c_str()), style);
}

ArgumentArray Win32CommandLine::SplitArguments() noexcept {
  int count = 0;
  wchar_t** items = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (items == nullptr) return {};
  return {reinterpret_cast<const char16_t* const*>(items), count};
}

void Win32CommandLine::ReleaseArguments(ArgumentArray arguments) noexcept {
  unique_hlocal owner(const_cast<char16_t**>(arguments.items));
}

}  // namespace orvex::win32
