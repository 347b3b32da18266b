#pragma once

#include "base/wide_string.h"

namespace orvex {

// What the user's installer options already hold, read from the user's text
// alone, never ours (a "/q" or "/l" inside our log path holds nothing).

// True when they carry a log switch of their own: the two characters "/l"
// or "/L" anywhere, a value such as C:/logs included. The log then stays in
// the user's hands.
[[nodiscard]] inline bool HoldsLogSwitch(const WideString& userOptions) noexcept {
  return userOptions.Find(u"/l") != WideString::npos || userOptions.Find(u"/L") != WideString::npos;
}

// True when they carry a quiet level of their own
// ("/qn", "/qb-", "/quiet"): ours then stays away.
[[nodiscard]] inline bool HoldsQuietLevel(const WideString& userOptions) noexcept {
  return userOptions.Find(u"/q") != WideString::npos;
}

}  // namespace orvex
