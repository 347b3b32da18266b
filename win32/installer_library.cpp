#include "win32/installer_library.h"

#include "win32/unique_handle.h"
#include "win32/win32_platform.h"

namespace orvex::win32 {

namespace {

template <typename Function>
bool Resolve(ProcedureLookup lookup, void* context, const char* name, Function& function) noexcept {
  function = LookUp<Function>(lookup, context, name);
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

FARPROC LookUpInModule(void* module, const char* name) noexcept {
  return ::GetProcAddress(static_cast<HMODULE>(module), name);
}

bool ResolveInstallerFunctions(ProcedureLookup lookup, void* context, InstallerFunctions& f) noexcept {
  Resolve(lookup, context, "MsiSourceListClearAllW", f.SourceListClearAll);
  Resolve(lookup, context, "MsiSourceListSetInfoW", f.SourceListSetInfo);
  // No short cut: each pointer is set, to the function or to null.
  bool required = Resolve(lookup, context, "MsiSetInternalUI", f.SetInternalUI);
  required &= Resolve(lookup, context, "MsiQueryProductStateW", f.QueryProductState);
  required &= Resolve(lookup, context, "MsiQueryFeatureStateW", f.QueryFeatureState);
  required &= Resolve(lookup, context, "MsiGetProductInfoW", f.GetProductInfo);
  required &= Resolve(lookup, context, "MsiOpenPackageExW", f.OpenPackageEx);
  required &= Resolve(lookup, context, "MsiGetPropertyW", f.GetProperty);
  required &= Resolve(lookup, context, "MsiCloseHandle", f.CloseHandle);
  return required;
}

const InstallerFunctions* InstallerLibrary() noexcept {
  if (!g_installer.attempted) {
    g_installer.attempted = true;
    g_installer.module.reset(LoadSystemLibrary(L"msi.dll"));
    HMODULE msi = g_installer.module.get();
    g_installer.complete =
        msi != nullptr && ResolveInstallerFunctions(LookUpInModule, msi, g_installer.functions);
  }
  return g_installer.complete ? &g_installer.functions : nullptr;
}

}  // namespace orvex::win32
