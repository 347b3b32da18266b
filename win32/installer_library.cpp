#include "win32/installer_library.h"

#include "win32/unique_handle.h"
#include "win32/win32_platform.h"

namespace orvex::win32 {

namespace {

// Sets field to the function found; a field whose type is not the SDK's
// declaration of that function fails to deduce.
template <typename Function>
bool Resolve(Function& field, Function found) noexcept {
  field = found;
  return found != nullptr;
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
#define ORVEX_RESOLVE(field, function) Resolve(field, ORVEX_LOOK_UP(lookup, context, function))
  ORVEX_RESOLVE(f.SourceListClearAll, MsiSourceListClearAllW);
  ORVEX_RESOLVE(f.SourceListSetInfo, MsiSourceListSetInfoW);
  // No short cut: each pointer is set, to the function or to null.
  bool required = ORVEX_RESOLVE(f.SetInternalUI, MsiSetInternalUI);
  required &= ORVEX_RESOLVE(f.QueryProductState, MsiQueryProductStateW);
  required &= ORVEX_RESOLVE(f.QueryFeatureState, MsiQueryFeatureStateW);
  required &= ORVEX_RESOLVE(f.GetProductInfo, MsiGetProductInfoW);
  required &= ORVEX_RESOLVE(f.OpenPackageEx, MsiOpenPackageExW);
  required &= ORVEX_RESOLVE(f.GetProperty, MsiGetPropertyW);
  required &= ORVEX_RESOLVE(f.CloseHandle, MsiCloseHandle);
#undef ORVEX_RESOLVE
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
