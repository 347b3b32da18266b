#pragma once

#include <cstddef>
#include <cstdint>

namespace orvex {

struct MessageSourceEntry {
  std::uint32_t id;
  const char16_t* text;
};

// The catalogue as compiled from messages.inc. The Windows program does not
// link this: it reads its string table instead.
inline constexpr MessageSourceEntry kMessageSource[] = {
#define ORVEX_MESSAGE(id, text) {id, u"" text},
#include "resources/messages.inc"
#undef ORVEX_MESSAGE
};

inline constexpr std::size_t kMessageSourceCount = sizeof(kMessageSource) / sizeof(kMessageSource[0]);

}  // namespace orvex
