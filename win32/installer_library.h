#pragma once

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include "win32/win32_platform.h"

namespace orvex::win32 {

// Windows Installer entry points, resolved at run time from the msi.dll of
// the system directory. A static import would let an msi.dll planted beside
// the program (a Downloads folder, say) run elevated.
struct InstallerFunctions {
  INSTALLUILEVEL(WINAPI* SetInternalUI)(INSTALLUILEVEL, HWND*) = nullptr;
  INSTALLSTATE(WINAPI* QueryProductState)(LPCWSTR) = nullptr;
  INSTALLSTATE(WINAPI* QueryFeatureState)(LPCWSTR, LPCWSTR) = nullptr;
  UINT(WINAPI* GetProductInfo)(LPCWSTR, LPCWSTR, LPWSTR, LPDWORD) = nullptr;
  UINT(WINAPI* OpenPackageEx)(LPCWSTR, DWORD, MSIHANDLE*) = nullptr;
  UINT(WINAPI* GetProperty)(MSIHANDLE, LPCWSTR, LPWSTR, LPDWORD) = nullptr;
  UINT(WINAPI* CloseHandle)(MSIHANDLE) = nullptr;
  UINT(WINAPI* SourceListClearAll)(LPCWSTR, LPCWSTR, DWORD) = nullptr;
  UINT(WINAPI* SourceListSetInfo)(LPCWSTR, LPCWSTR, MSIINSTALLCONTEXT, DWORD, LPCWSTR, LPCWSTR) = nullptr;
};

// Fills functions one by one through lookup. The source-list functions came
// with Windows Installer 3.0, which Windows 2000 may lack: they stay null when
// missing. True when every other function was found.
bool ResolveInstallerFunctions(ProcedureLookup lookup, void* context, InstallerFunctions& functions) noexcept;

// Loads the library on first use; null when it cannot be loaded or lacks
// one of the required functions.
[[nodiscard]] const InstallerFunctions* InstallerLibrary() noexcept;

}  // namespace orvex::win32
