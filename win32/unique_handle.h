#pragma once

#include <windows.h>

#include <cstdint>

#include "base/unique_resource.h"

namespace orvex::win32 {

// A Windows handle's owner: a UniqueResource closed by a plain function.
template <auto Close>
struct FunctionCloser {
  template <typename Handle>
  void operator()(Handle handle) const noexcept {
    Close(handle);
  }
};
template <typename Handle, auto Close, std::intptr_t InvalidValue = 0>
using UniqueHandle = UniqueResource<Handle, FunctionCloser<Close>, InvalidValue>;

inline void CloseKernelHandle(HANDLE handle) noexcept { ::CloseHandle(handle); }
inline void CloseKey(HKEY key) noexcept { ::RegCloseKey(key); }
inline void CloseLibrary(HMODULE module) noexcept { ::FreeLibrary(module); }
inline void CloseLocal(HLOCAL memory) noexcept { ::LocalFree(memory); }

using unique_handle = UniqueHandle<HANDLE, CloseKernelHandle>;
using unique_hkey = UniqueHandle<HKEY, CloseKey>;
using unique_hmodule = UniqueHandle<HMODULE, CloseLibrary>;
using unique_hlocal = UniqueHandle<HLOCAL, CloseLocal>;

}  // namespace orvex::win32
