#include "platform/win32/installer_library.h"

#include "platform/win32/unique_handle.h"

namespace orvex::win32 {

namespace {

template <typename Function>
void Resolve(HMODULE module, const char* name, Function& function) noexcept {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// Loaded once and kept for the life of the process, then freed at exit.
struct LoadedInstaller {
  bool attempted = false;
  unique_hmodule module;
  InstallerFunctions functions;
};

LoadedInstaller g_installer;

HMODULE LoadFromSystemDirectory(const wchar_t* name) noexcept {
  wchar_t path[MAX_PATH + 16];
  const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  path[length] = L'\\';
  UINT at = length + 1;
  for (const wchar_t* p = name; *p != 0 && at < MAX_PATH + 15; ++p) path[at++] = *p;
  path[at] = 0;
  // A full path, so no search takes place; the altered search path makes the
  // library's own dependencies come from its directory too.
  return ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

const InstallerFunctions* InstallerLibrary() noexcept {
  if (!g_installer.attempted) {
    g_installer.attempted = true;
    g_installer.module.reset(LoadFromSystemDirectory(L"msi.dll"));
    if (g_installer.module) {
      Resolve(g_installer.module.get(), "MsiSetInternalUI", g_installer.functions.SetInternalUI);
    }
  }
  return g_installer.module ? &g_installer.functions : nullptr;
}

}  // namespace orvex::win32
