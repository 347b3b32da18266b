#pragma once

#include <cstdint>

namespace orvex {

struct MessageSourceEntry {
  std::uint32_t id;
  const char16_t* text;
};

// The catalogue as compiled from messages.inc. The Windows program does not
// link this: it reads its string table instead.
inline constexpr MessageSourceEntry kMessageSource[] = {
#define ORVEX_MESSAGE(number, name, text) {number, u"" text},
#include "resources/messages.inc"
#undef ORVEX_MESSAGE
};

}  // namespace orvex
