#pragma once

#include "base/wide_string.h"

namespace orvex {

// True when the user's installer options carry a quiet level of their own
// ("/qn", "/qb-", "/quiet"): ours then stays away. Only the user's text is
// read, never ours (a "/q" inside our log path is no quiet level).
[[nodiscard]] inline bool HoldsQuietLevel(const WideString& userOptions) noexcept {
  return userOptions.Find(u"/q") != WideString::npos;
}

}  // namespace orvex
