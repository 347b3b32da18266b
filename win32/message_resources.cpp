// Message lookup in the string tables of the program's resource modules.
// Entries sit in blocks of 16: message n is entry n % 16 of block n / 16 + 1,
// each entry a 16-bit length and that many UTF-16 units, no terminator.
#include <windows.h>

#include "win32/win32_platform.h"

namespace orvex::win32 {

namespace {

struct Entry {
  const char16_t* text = nullptr;
  WORD length = 0;
};

// Finds entry id % 16 in a loaded block; false when it lies past the end.
bool LocateEntry(HMODULE module, HRSRC resource, std::uint32_t id, Entry& entry) noexcept {
  if (resource == nullptr) return false;
  HGLOBAL loaded = ::LoadResource(module, resource);
  const auto* units = static_cast<const char16_t*>(::LockResource(loaded));
  const DWORD bytes = ::SizeofResource(module, resource);
  if (units == nullptr) return false;
  const char16_t* end = units + bytes / sizeof(char16_t);
  const char16_t* position = units;
  for (std::uint32_t skip = id % 16; skip > 0; --skip) {
    if (position >= end) return false;
    position += 1 + *position;
  }
  if (position >= end) return false;
  entry.length = *position;
  entry.text = position + 1;
  // A length that runs past the block is a damaged table, not text.
  return entry.text + entry.length <= end;
}

LPCWSTR BlockName(std::uint32_t id) noexcept {
  return MAKEINTRESOURCEW(id / 16 + 1);
}

}  // namespace

bool LoadMessageFrom(const void* handle, std::uint32_t id, WideString& target) noexcept {
  auto* module = static_cast<HMODULE>(const_cast<void*>(handle));
  // The entry must be there in the language-neutral choice before the
  // default choice is read, as the lookup has always done.
  Entry entry;
  HRSRC block = ::FindResourceExW(module, RT_STRING, BlockName(id), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
  if (!LocateEntry(module, block, id, entry) || entry.length == 0) return false;
  if (!LocateEntry(module, ::FindResourceW(module, BlockName(id), RT_STRING), id, entry) || entry.length == 0) {
    return false;
  }
  target.Assign(entry.text, entry.length);
  return true;
}

bool Win32Ui::LoadMessage(std::uint32_t id, WideString& target) noexcept {
  return LoadMessageFrom(::GetModuleHandleW(nullptr), id, target);
}

}  // namespace orvex::win32
