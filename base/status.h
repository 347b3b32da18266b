#pragma once

#include <cstdint>

namespace orvex {

// 0 for success, otherwise a Win32 or Windows Installer error number or an
// installer's exit code.
using Status = std::uint32_t;

inline constexpr Status kStatusEnvironmentNotFound = 203;   // ERROR_ENVVAR_NOT_FOUND
inline constexpr Status kStatusPathTooLong = 206;           // ERROR_FILENAME_EXCED_RANGE
inline constexpr Status kStatusPackageNotFound = 232;       // ERROR_NO_DATA
inline constexpr Status kStatusMoreData = 234;              // ERROR_MORE_DATA
inline constexpr Status kStatusUserCancelled = 1602;        // ERROR_INSTALL_USEREXIT
inline constexpr Status kStatusRebootInitiated = 1641;      // ERROR_SUCCESS_REBOOT_INITIATED
inline constexpr Status kStatusRebootRequired = 3010;       // ERROR_SUCCESS_REBOOT_REQUIRED
inline constexpr Status kStatusRestartRequired = 3011;      // ERROR_SUCCESS_RESTART_REQUIRED

}  // namespace orvex
