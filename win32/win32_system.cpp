#include <windows.h>
#include <shlobj.h>

#include "win32/unique_handle.h"
#include "win32/win32_platform.h"

namespace orvex::win32 {

bool Win32SystemInfo::IsUserAnAdmin() noexcept {
  return ::IsUserAnAdmin() != FALSE;
}

bool Win32SystemInfo::QueryOsVersion(OsVersion& version) noexcept {
  OSVERSIONINFOEXW record;
  ZeroMemory(&record, sizeof(record));
  record.dwOSVersionInfoSize = sizeof(record);
  // Deprecated for feature detection; here the reported version itself is
  // what the decision is about.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&record))) return false;
#pragma GCC diagnostic pop
  version.major = record.dwMajorVersion;
  version.minor = record.dwMinorVersion;
  version.servicePackMajor = record.wServicePackMajor;
  return true;
}

bool Win32SystemInfo::IsWindows64Bit() noexcept {
#ifdef _WIN64
  return true;
#else
  // IsWow64Process exists from XP SP2 on.
  const auto isWow64Process = ORVEX_LOOK_UP(lookup_, ::GetModuleHandleW(L"kernel32.dll"), IsWow64Process);
  BOOL wow64 = FALSE;
  return isWow64Process != nullptr && isWow64Process(::GetCurrentProcess(), &wow64) && wow64;
#endif
}

bool Win32Power::EnableShutdownPrivilege() noexcept {
  unique_handle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
    (void)token.release();  // not a token
    return false;
  }
  // Zeroed first: should the lookup fail, no stray identifier reaches the
  // adjustment, which then fails on its own.
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  (void)::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid);
  ::SetLastError(ERROR_SUCCESS);
  ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
  // Also catches a token without the privilege, where the call succeeds
  // and leaves ERROR_NOT_ALL_ASSIGNED.
  return ::GetLastError() == ERROR_SUCCESS;
}

bool Win32Power::RequestRestart() noexcept {
  return ::ExitWindowsEx(EWX_REBOOT | EWX_FORCE, SHTDN_REASON_MAJOR_APPLICATION) != FALSE;
}

}  // namespace orvex::win32
