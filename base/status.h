#pragma once

#include <cstdint>

namespace orvex {

// 0 for success, otherwise a Win32 or Windows Installer error number or an
// installer's exit code.
using Status = std::uint32_t;

inline constexpr Status kStatusCallNotImplemented = 120;  // ERROR_CALL_NOT_IMPLEMENTED
inline constexpr Status kStatusUserCancelled = 1602;      // ERROR_INSTALL_USEREXIT

}  // namespace orvex
