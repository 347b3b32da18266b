#pragma once

#include <windows.h>

#include <cstdint>

namespace orvex::win32 {

// One owner per Windows handle: closed when the owner goes, never copied.
template <typename Handle, auto Close, std::intptr_t InvalidValue = 0>
class UniqueHandle {
 public:
  static Handle Invalid() noexcept { return reinterpret_cast<Handle>(InvalidValue); }

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  [[nodiscard]] Handle get() const noexcept { return handle_; }
  [[nodiscard]] explicit operator bool() const noexcept { return handle_ != Invalid(); }
  [[nodiscard]] Handle release() noexcept {
    Handle handle = handle_;
    handle_ = Invalid();
    return handle;
  }
  void reset(Handle handle = Invalid()) noexcept {
    if (handle_ != Invalid()) Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Invalid();
};

inline void CloseKernelHandle(HANDLE handle) noexcept { ::CloseHandle(handle); }
inline void CloseKey(HKEY key) noexcept { ::RegCloseKey(key); }
inline void CloseLibrary(HMODULE module) noexcept { ::FreeLibrary(module); }
inline void CloseLocal(HLOCAL memory) noexcept { ::LocalFree(memory); }

using unique_handle = UniqueHandle<HANDLE, CloseKernelHandle>;
using unique_hkey = UniqueHandle<HKEY, CloseKey>;
using unique_hmodule = UniqueHandle<HMODULE, CloseLibrary>;
using unique_hlocal = UniqueHandle<HLOCAL, CloseLocal>;

}  // namespace orvex::win32
