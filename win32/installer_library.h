#pragma once

#include <windows.h>
// Every msi.dll function is looked up, none imported: the declarations of
// Windows Installer 3.0, which the oldest supported Windows may lack, are
// needed for their types only.
#ifndef _WIN32_MSI
#define _WIN32_MSI 300
#endif
#include <msi.h>
#include <msiquery.h>

#include "win32/win32_platform.h"

namespace orvex::win32 {

// Windows Installer entry points, resolved at run time from the msi.dll of
// the system directory. A static import would let an msi.dll planted beside
// the program (a Downloads folder, say) run elevated.
struct InstallerFunctions {
  decltype(&::MsiSetInternalUI) SetInternalUI = nullptr;
  decltype(&::MsiQueryProductStateW) QueryProductState = nullptr;
  decltype(&::MsiQueryFeatureStateW) QueryFeatureState = nullptr;
  decltype(&::MsiGetProductInfoW) GetProductInfo = nullptr;
  decltype(&::MsiOpenPackageExW) OpenPackageEx = nullptr;
  decltype(&::MsiGetPropertyW) GetProperty = nullptr;
  decltype(&::MsiCloseHandle) CloseHandle = nullptr;
  decltype(&::MsiSourceListClearAllW) SourceListClearAll = nullptr;
  decltype(&::MsiSourceListSetInfoW) SourceListSetInfo = nullptr;
};

// Fills functions one by one through lookup. The source-list functions came
// with Windows Installer 3.0, which Windows 2000 may lack: they stay null when
// missing. True when every other function was found.
[[nodiscard]] bool ResolveInstallerFunctions(ProcedureLookup lookup, void* context, InstallerFunctions& functions) noexcept;

// Loads the library on first use; null when it cannot be loaded or lacks
// one of the required functions.
[[nodiscard]] const InstallerFunctions* InstallerLibrary() noexcept;

}  // namespace orvex::win32
