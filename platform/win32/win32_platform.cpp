#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "platform/win32/installer_library.h"
#include "platform/win32/unique_handle.h"

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

bool Win32SystemInfo::IsUserAnAdmin() noexcept {
  return ::IsUserAnAdmin() != FALSE;
}

bool Win32SystemInfo::QueryOsVersion(OsVersion& version) noexcept {
  OSVERSIONINFOEXW record;
  ZeroMemory(&record, sizeof(record));
  record.dwOSVersionInfoSize = sizeof(record);
  // GetVersionExW is deprecated for callers that want to detect features;
  // here the reported version itself is what the decision is about.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&record))) return false;
#pragma GCC diagnostic pop
  version.major = record.dwMajorVersion;
  version.minor = record.dwMinorVersion;
  version.servicePackMajor = record.wServicePackMajor;
  return true;
}

bool Win32FileSystem::PathExists(const WideString& path) noexcept {
  return ::GetFileAttributesW(Wide(path.c_str())) != INVALID_FILE_ATTRIBUTES;
}

void Win32Installer::SetInternalUiNone() noexcept {
  const InstallerFunctions* msi = InstallerLibrary();
  if (msi != nullptr && msi->SetInternalUI != nullptr) msi->SetInternalUI(INSTALLUILEVEL_NONE, nullptr);
}

void LockDownDllSearch() noexcept {
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return;
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
  // Windows 8 and later, or 7 with its update; older systems get the
  // narrower SetDllDirectoryW("") that drops the current directory.
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  auto setDirectory =
      reinterpret_cast<SetDllDirectoryFn>(reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDllDirectoryW")));
  if (setDirectory != nullptr) setDirectory(L"");
}

}  // namespace orvex::win32
