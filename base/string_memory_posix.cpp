#include <cstdlib>

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

void ReturnStringMemory(void* block) noexcept {
  std::free(block);
}

}  // namespace orvex
