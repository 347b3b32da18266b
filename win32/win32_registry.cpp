#include <windows.h>

#include "win32/unique_handle.h"
#include "win32/win32_platform.h"

namespace orvex::win32 {

static_assert(key::kRead == KEY_READ && key::kWrite == KEY_WRITE && key::kWow64View32 == KEY_WOW64_32KEY);

Status Win32Registry::CreateUserKey(const char16_t* subkey, std::uint32_t access) noexcept {
  unique_hkey key;
  DWORD disposition = 0;
  const LONG status = ::RegCreateKeyExW(HKEY_CURRENT_USER, Wide(subkey), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                        nullptr, key.put(), &disposition);
  if (status != ERROR_SUCCESS) (void)key.release();  // not a key
  return static_cast<Status>(status);
}

Status Win32Registry::OpenUserKey(const char16_t* subkey, std::uint32_t access) noexcept {
  unique_hkey key;
  const LONG status = ::RegOpenKeyExW(HKEY_CURRENT_USER, Wide(subkey), 0, access, key.put());
  if (status != ERROR_SUCCESS) (void)key.release();  // not a key
  return static_cast<Status>(status);
}

Status Win32Registry::DeleteUserSubkey(const char16_t* parent, std::uint32_t parentAccess, const char16_t* name,
                                       std::uint32_t viewAccess) noexcept {
  unique_hkey key;
  const LONG opened = ::RegOpenKeyExW(HKEY_CURRENT_USER, Wide(parent), 0, parentAccess, key.put());
  if (opened != ERROR_SUCCESS) {
    (void)key.release();  // not a key
    return static_cast<Status>(opened);
  }
  // RegDeleteKeyExW appeared with XP x64; advapi32 is loaded already.
  const auto deleteKeyEx = ORVEX_LOOK_UP(lookup_, ::GetModuleHandleW(L"advapi32.dll"), RegDeleteKeyExW);
  const LONG status = deleteKeyEx != nullptr ? deleteKeyEx(key.get(), Wide(name), viewAccess, 0)
                                             : ::RegDeleteKeyW(key.get(), Wide(name));
  return static_cast<Status>(status);
}

}  // namespace orvex::win32
