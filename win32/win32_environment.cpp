#include <windows.h>

#include "win32/win32_platform.h"

namespace orvex::win32 {

static_assert(kPathUnits == MAX_PATH);

std::uint32_t Win32Environment::GetVariable(const char16_t* name, char16_t* buffer, std::uint32_t size) noexcept {
  return ::GetEnvironmentVariableW(Wide(name), Wide(buffer), size);
}

std::uint32_t Win32Environment::SystemDirectory(char16_t* buffer, std::uint32_t size) noexcept {
  return ::GetSystemDirectoryW(Wide(buffer), size);
}

std::uint32_t Win32Environment::CurrentDirectory(std::uint32_t size, char16_t* buffer) noexcept {
  return ::GetCurrentDirectoryW(size, Wide(buffer));
}

Status Win32Environment::LastError() noexcept {
  return ::GetLastError();
}

CalendarTime Win32Environment::LocalNow() noexcept {
  // The system's own local time rather than the C library's: msvcrt.dll of
  // Windows 2000 has no _time64 or _localtime64, and an import of them would
  // keep the program from starting there at all.
  SYSTEMTIME local;
  ::GetLocalTime(&local);
  CalendarTime result;
  result.year = local.wYear;
  result.month = local.wMonth;
  result.day = local.wDay;
  result.hour = local.wHour;
  result.minute = local.wMinute;
  result.second = local.wSecond;
  return result;
}

void Win32Environment::WriteStandardOutput(const WideString& text) noexcept {
  HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return;
  // UTF-8 in pieces that fit the stack buffer, never splitting a surrogate pair.
  constexpr std::size_t kPiece = 128;
  char bytes[kPiece * 3];
  for (std::size_t at = 0; at < text.Length();) {
    std::size_t count = text.Length() - at < kPiece ? text.Length() - at : kPiece;
    const char16_t last = text.c_str()[at + count - 1];
    if (count > 1 && last >= 0xD800 && last <= 0xDBFF) --count;
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, Wide(text.c_str() + at), static_cast<int>(count), bytes,
                                             sizeof(bytes), nullptr, nullptr);
    DWORD written = 0;
    if (length > 0) ::WriteFile(output, bytes, static_cast<DWORD>(length), &written, nullptr);
    at += count;
  }
}

}  // namespace orvex::win32
