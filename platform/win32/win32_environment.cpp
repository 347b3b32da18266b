#include <windows.h>

#include <ctime>

#include "platform/win32/win32_platform.h"

namespace orvex::win32 {

std::uint32_t Win32Environment::GetVariable(const char16_t* name, char16_t* buffer, std::uint32_t size) noexcept {
  return ::GetEnvironmentVariableW(Wide(name), Wide(buffer), size);
}

std::uint32_t Win32Environment::GetSystemDirectory(char16_t* buffer, std::uint32_t size) noexcept {
  return ::GetSystemDirectoryW(Wide(buffer), size);
}

std::uint32_t Win32Environment::GetCurrentDirectory(std::uint32_t size, char16_t* buffer) noexcept {
  return ::GetCurrentDirectoryW(size, Wide(buffer));
}

Status Win32Environment::LastError() noexcept {
  return ::GetLastError();
}

CalendarTime Win32Environment::LocalNow() noexcept {
  // The C library's conversion, so that TZ is honoured as msvcrt does it.
  const __time64_t now = _time64(nullptr);
  CalendarTime result;
  const std::tm* local = _localtime64(&now);
  if (local == nullptr) return result;
  result.year = local->tm_year + 1900;
  result.month = local->tm_mon + 1;
  result.day = local->tm_mday;
  result.hour = local->tm_hour;
  result.minute = local->tm_min;
  result.second = local->tm_sec;
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
