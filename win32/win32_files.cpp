#include <windows.h>

#include "win32/win32_platform.h"

namespace orvex::win32 {

namespace {

void Fill(const WIN32_FIND_DATAW& data, FoundEntry& entry) noexcept {
  entry.name = WideString(reinterpret_cast<const char16_t*>(data.cFileName));
  entry.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool Win32FileSystem::PathExists(const WideString& path) noexcept {
  return ::GetFileAttributesW(Wide(path.c_str())) != INVALID_FILE_ATTRIBUTES;
}

bool Win32FileSystem::FindFirst(const WideString& pattern, FoundEntry& entry, SearchHandle& search) noexcept {
  WIN32_FIND_DATAW data;
  HANDLE handle = ::FindFirstFileW(Wide(pattern.c_str()), &data);
  if (handle == INVALID_HANDLE_VALUE) return false;
  Fill(data, entry);
  search = reinterpret_cast<SearchHandle>(handle);
  return true;
}

bool Win32FileSystem::FindNext(SearchHandle search, FoundEntry& entry) noexcept {
  WIN32_FIND_DATAW data;
  if (!::FindNextFileW(reinterpret_cast<HANDLE>(search), &data)) return false;
  Fill(data, entry);
  return true;
}

void Win32FileSystem::FindClose(SearchHandle search) noexcept {
  ::FindClose(reinterpret_cast<HANDLE>(search));
}

bool Win32FileSystem::RemoveFile(const WideString& path) noexcept {
  return ::DeleteFileW(Wide(path.c_str())) != FALSE;
}

}  // namespace orvex::win32
