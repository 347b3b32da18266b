#include <windows.h>

#include "base/wide_string.h"

namespace orvex {

// Running out of memory is not something this program can recover from; a
// clean exit with the Windows status beats a crash on a null pointer.
void* ProvideStringMemory(std::size_t bytes) noexcept {
  void* block = HeapAlloc(GetProcessHeap(), 0, bytes);
  if (block == nullptr) StringMemoryExhausted();
  return block;
}

void StringMemoryExhausted() noexcept {
  ExitProcess(ERROR_NOT_ENOUGH_MEMORY);
}

void ReturnStringMemory(void* block) noexcept {
  HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace orvex
