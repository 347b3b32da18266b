#include <windows.h>

#include "win32/installer_library.h"
#include "win32/win32_platform.h"

namespace orvex::win32 {

static_assert(msi::kStateAbsent == INSTALLSTATE_ABSENT && msi::kStateDefault == INSTALLSTATE_DEFAULT &&
              msi::kMachineContext == MSIINSTALLCONTEXT_MACHINE && msi::kProductCodeSource == MSICODE_PRODUCT &&
              msi::kOpenIgnoringMachineState == MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE);
static_assert(kStatusEnvironmentNotFound == ERROR_ENVVAR_NOT_FOUND && kStatusPathTooLong == ERROR_FILENAME_EXCED_RANGE &&
              kStatusPackageNotFound == ERROR_NO_DATA && kStatusMoreData == ERROR_MORE_DATA &&
              kStatusUserCancelled == ERROR_INSTALL_USEREXIT && kStatusRebootInitiated == ERROR_SUCCESS_REBOOT_INITIATED &&
              kStatusRebootRequired == ERROR_SUCCESS_REBOOT_REQUIRED &&
              kStatusRestartRequired == ERROR_SUCCESS_RESTART_REQUIRED);

namespace {

constexpr Status kNoInstaller = ERROR_INSTALL_SERVICE_FAILURE;
// A Windows Installer older than 3.0 lacks the source-list functions.
constexpr Status kNotInThisInstaller = ERROR_CALL_NOT_IMPLEMENTED;

}  // namespace

void Win32Installer::SetInternalUiNone() noexcept {
  if (const InstallerFunctions* msi = InstallerLibrary()) msi->SetInternalUI(INSTALLUILEVEL_NONE, nullptr);
}

int Win32Installer::QueryProductState(const WideString& productCode) noexcept {
  const InstallerFunctions* msi = InstallerLibrary();
  return msi != nullptr ? msi->QueryProductState(Wide(productCode.c_str())) : INSTALLSTATE_UNKNOWN;
}

int Win32Installer::QueryFeatureState(const WideString& productCode, const WideString& feature) noexcept {
  const InstallerFunctions* msi = InstallerLibrary();
  return msi != nullptr ? msi->QueryFeatureState(Wide(productCode.c_str()), Wide(feature.c_str()))
                        : INSTALLSTATE_UNKNOWN;
}

Status Win32Installer::GetProductInfo(const WideString& productCode, const char16_t* attribute, char16_t* buffer,
                                      std::uint32_t& size) noexcept {
  const InstallerFunctions* msi = InstallerLibrary();
  if (msi == nullptr) return kNoInstaller;
  DWORD units = size;
  const UINT status =
      msi->GetProductInfo(Wide(productCode.c_str()), Wide(attribute), Wide(buffer), &units);
  size = units;
  return status;
}

Status Win32Installer::OpenPackage(const WideString& path, std::uint32_t options, InstallerHandle& handle) noexcept {
  const InstallerFunctions* msi = InstallerLibrary();
  if (msi == nullptr) return kNoInstaller;
  MSIHANDLE opened = 0;
  const UINT status = msi->OpenPackageEx(Wide(path.c_str()), options, &opened);
  handle = opened;
  return status;
}

Status Win32Installer::GetProperty(InstallerHandle handle, const char16_t* name, char16_t* buffer,
                                   std::uint32_t& size) noexcept {
  const InstallerFunctions* msi = InstallerLibrary();
  if (msi == nullptr) return kNoInstaller;
  DWORD units = size;
  const UINT status = msi->GetProperty(handle, Wide(name), Wide(buffer), &units);
  size = units;
  return status;
}

Status Win32Installer::CloseHandle(InstallerHandle handle) noexcept {
  const InstallerFunctions* msi = InstallerLibrary();
  return msi != nullptr ? msi->CloseHandle(handle) : kNoInstaller;
}

Status Win32Installer::SourceListClearAll(const WideString& productCode) noexcept {
  const InstallerFunctions* msi = InstallerLibrary();
  if (msi == nullptr) return kNoInstaller;
  if (msi->SourceListClearAll == nullptr) return kNotInThisInstaller;
  return msi->SourceListClearAll(Wide(productCode.c_str()), nullptr, 0);
}

Status Win32Installer::SourceListSetInfo(const WideString& productCode, std::uint32_t context, std::uint32_t options,
                                         const char16_t* property, const WideString& value) noexcept {
  const InstallerFunctions* msi = InstallerLibrary();
  if (msi == nullptr) return kNoInstaller;
  if (msi->SourceListSetInfo == nullptr) return kNotInThisInstaller;
  return msi->SourceListSetInfo(Wide(productCode.c_str()), nullptr, static_cast<MSIINSTALLCONTEXT>(context), options,
                                Wide(property), Wide(value.c_str()));
}

}  // namespace orvex::win32
