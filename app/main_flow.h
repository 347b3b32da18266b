#pragma once

#include <cstdint>

#include "platform/system.h"

namespace orvex {

inline constexpr std::uint32_t kExitNotAdministrator = 1;
inline constexpr std::uint32_t kExitRestartFailed = 7;

// The whole run: checks, confirmation, installations in their fixed order
// and the closing report. commandTail is the text after the program name;
// the result is the process exit code.
[[nodiscard]] std::uint32_t RunBootstrapper(Platform& platform, const char16_t* commandTail) noexcept;

}  // namespace orvex
