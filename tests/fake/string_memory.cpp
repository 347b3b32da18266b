#include <malloc.h>

#include <cstdlib>
#include <cstring>

#include "base/wide_string.h"

namespace orvex {

void* ProvideStringMemory(std::size_t bytes) noexcept {
  void* block = std::malloc(bytes);
  if (block == nullptr) StringMemoryExhausted();
  return block;
}

void StringMemoryExhausted() noexcept {
  std::abort();
}

// Overwritten before it goes back, so that a read of released text shows in
// a test run even without a sanitizer.
void ReturnStringMemory(void* block) noexcept {
  if (block != nullptr) std::memset(block, 0xDD, malloc_usable_size(block));
  std::free(block);
}

}  // namespace orvex
