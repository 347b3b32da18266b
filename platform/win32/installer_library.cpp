#include "platform/win32/installer_library.h"

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"

namespace orvex::win32 {

namespace {

template <typename Function>
bool Resolve(HMODULE module, const char* name, Function& function) noexcept {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
  return function != nullptr;
}

// Loaded once and kept for the life of the process, freed at exit.
struct LoadedInstaller {
  bool attempted = false;
  bool complete = false;
  unique_hmodule module;
  InstallerFunctions functions;
};

LoadedInstaller g_installer;

}  // namespace

const InstallerFunctions* InstallerLibrary() noexcept {
  if (!g_installer.attempted) {
    g_installer.attempted = true;
    g_installer.module.reset(LoadSystemLibrary(L"msi.dll"));
    HMODULE msi = g_installer.module.get();
    InstallerFunctions& f = g_installer.functions;
    g_installer.complete = msi != nullptr && Resolve(msi, "MsiSetInternalUI", f.SetInternalUI) &&
                           Resolve(msi, "MsiQueryProductStateW", f.QueryProductState) &&
                           Resolve(msi, "MsiQueryFeatureStateW", f.QueryFeatureState) &&
                           Resolve(msi, "MsiGetProductInfoW", f.GetProductInfo) &&
                           Resolve(msi, "MsiOpenPackageExW", f.OpenPackageEx) &&
                           Resolve(msi, "MsiGetPropertyW", f.GetProperty) &&
                           Resolve(msi, "MsiCloseHandle", f.CloseHandle) &&
                           Resolve(msi, "MsiSourceListClearAllW", f.SourceListClearAll) &&
                           Resolve(msi, "MsiSourceListSetInfoW", f.SourceListSetInfo);
  }
  return g_installer.complete ? &g_installer.functions : nullptr;
}

}  // namespace orvex::win32
