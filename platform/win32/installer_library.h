#pragma once

#include <windows.h>
#include <msi.h>

namespace orvex::win32 {

// Windows Installer entry points, resolved at run time from the msi.dll of
// the system directory. A static import would let an msi.dll planted beside
// the program (a Downloads folder, say) run elevated.
struct InstallerFunctions {
  INSTALLUILEVEL(WINAPI* SetInternalUI)(INSTALLUILEVEL, HWND*) = nullptr;
};

// Loads the library on first use; null when it cannot be loaded.
[[nodiscard]] const InstallerFunctions* InstallerLibrary() noexcept;

}  // namespace orvex::win32
