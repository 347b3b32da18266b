#include <windows.h>

#include "win32/unique_handle.h"
#include "win32/win32_platform.h"

namespace orvex::win32 {

static_assert(key::kRead == KEY_READ && key::kWrite == KEY_WRITE && key::kWow64View32 == KEY_WOW64_32KEY);

Status Win32Registry::CreateUserKey(const char16_t* subkey, std::uint32_t access) noexcept {
  HKEY raw = nullptr;
  DWORD disposition = 0;
  const LONG status = ::RegCreateKeyExW(HKEY_CURRENT_USER, Wide(subkey), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                        nullptr, &raw, &disposition);
  if (status != ERROR_SUCCESS) return static_cast<Status>(status);
  unique_hkey key(raw);
  return 0;
}

Status Win32Registry::OpenUserKey(const char16_t* subkey, std::uint32_t access) noexcept {
  HKEY raw = nullptr;
  const LONG status = ::RegOpenKeyExW(HKEY_CURRENT_USER, Wide(subkey), 0, access, &raw);
  if (status != ERROR_SUCCESS) return static_cast<Status>(status);
  unique_hkey key(raw);
  return 0;
}

Status Win32Registry::DeleteUserSubkey(const char16_t* parent, std::uint32_t parentAccess, const char16_t* name,
                                       std::uint32_t viewAccess) noexcept {
  HKEY raw = nullptr;
  const LONG opened = ::RegOpenKeyExW(HKEY_CURRENT_USER, Wide(parent), 0, parentAccess, &raw);
  if (opened != ERROR_SUCCESS) return static_cast<Status>(opened);
  unique_hkey key(raw);
  // RegDeleteKeyExW appeared with XP x64; advapi32 is loaded already.
  const auto deleteKeyEx = ORVEX_LOOK_UP(lookup_, ::GetModuleHandleW(L"advapi32.dll"), RegDeleteKeyExW);
  const LONG status = deleteKeyEx != nullptr ? deleteKeyEx(key.get(), Wide(name), viewAccess, 0)
                                             : ::RegDeleteKeyW(key.get(), Wide(name));
  return static_cast<Status>(status);
}

}  // namespace orvex::win32
