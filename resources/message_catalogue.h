#pragma once

#include <cstdint>

#include "base/wide_string.h"

namespace orvex {

// Replaces target with the text of message id and returns true; when the
// catalogue holds no non-empty entry, leaves target as it was and returns
// false.
bool LoadMessage(std::uint32_t id, WideString& target) noexcept;

#ifdef _WIN32
// The same from the string table of the given resource module; LoadMessage
// reads the program's own.
bool LoadMessageFrom(const void* module, std::uint32_t id, WideString& target) noexcept;
#endif

}  // namespace orvex
