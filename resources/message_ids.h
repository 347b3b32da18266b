#pragma once

#include <cstdint>

namespace orvex {

// The catalogue's numbers by name (kMsgName), from resources/messages.inc.
enum MessageId : std::uint32_t {
#define ORVEX_MESSAGE(number, name, text) kMsg##name = number,
#include "resources/messages.inc"
#undef ORVEX_MESSAGE
};

}  // namespace orvex
