#pragma once

#include <cstdint>

#include "base/wide_string.h"

namespace orvex {

// Replaces target with the text of message id and returns true; when no
// module holds a non-empty entry, leaves target as it was and returns false.
bool LoadMessage(std::uint32_t id, WideString& target) noexcept;

// The first resource module holding a non-empty entry for id, or null.
[[nodiscard]] const void* FindMessageModule(std::uint32_t id) noexcept;

// Puts a module in front of the program's own one in the lookup order.
// Returns false when the list is full.
bool AddMessageModule(const void* module) noexcept;

}  // namespace orvex
