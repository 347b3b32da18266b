#include <windows.h>

#include "win32/win32_platform.h"

namespace orvex::win32 {

void LockDownDllSearch(ProcedureLookup lookup) noexcept {
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return;
  // Windows 8 and later, or 7 with its update; older systems get the
  // narrower SetDllDirectoryW(""), which drops the current directory.
  const auto setDefault = ORVEX_LOOK_UP(lookup, kernel, SetDefaultDllDirectories);
  if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  const auto setDirectory = ORVEX_LOOK_UP(lookup, kernel, SetDllDirectoryW);
  if (setDirectory != nullptr) setDirectory(L"");
}

bool TerminateOnHeapCorruption(ProcedureLookup lookup) noexcept {
  // HeapSetInformation came with XP, and Windows 2000 lacks it: an import
  // would keep the program from starting there. Where the option itself is
  // unknown (before Vista) the call fails harmlessly.
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return false;
  const auto heapSetInformation = ORVEX_LOOK_UP(lookup, kernel, HeapSetInformation);
  return heapSetInformation != nullptr &&
         heapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0) != FALSE;
}

HMODULE LoadSystemLibrary(const wchar_t* name) noexcept {
  wchar_t path[MAX_PATH + 16];
  const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  UINT at = length;
  path[at++] = L'\\';
  for (const wchar_t* p = name; *p != 0; ++p) {
    if (at >= MAX_PATH + 15) return nullptr;
    path[at++] = *p;
  }
  path[at] = 0;
  // A full path, so no search takes place; the altered search path makes the
  // library's own dependencies come from the system directory too.
  return ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace orvex::win32
