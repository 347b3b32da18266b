#pragma once

#include <cstdint>

#include "install/install_options.h"
#include "platform/system.h"

namespace orvex {

// Exit codes of the refusals.
inline constexpr std::uint32_t kExitVersionUnavailable = 2;
inline constexpr std::uint32_t kExitWindows2000BelowSp4 = 3;
inline constexpr std::uint32_t kExitWindowsXpBelowSp2 = 4;
inline constexpr std::uint32_t kExitWindows2003BelowSp2 = 5;
// Below Windows 2000: the one exit code between the gate's others and the
// failed restart's 7 that nothing else uses.
inline constexpr std::uint32_t kExitSystemTooOld = 6;

// 0 when this Windows may be installed on, with its version in version for
// the later steps; otherwise the exit code to end with, after a box saying
// why (no box when silent).
[[nodiscard]] std::uint32_t CheckOperatingSystem(SystemInfo& system, Ui& ui, const InstallOptions& options,
                                                 OsVersion& version) noexcept;

}  // namespace orvex
