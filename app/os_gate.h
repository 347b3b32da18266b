#pragma once

#include <cstdint>

#include "install/install_options.h"
#include "platform/system.h"

namespace orvex {

// 0 when this Windows may be installed on, with its version in version for
// the later steps; otherwise the exit code to end with, after a box saying
// why (no box when silent).
[[nodiscard]] std::uint32_t CheckOperatingSystem(SystemInfo& system, Ui& ui, const InstallOptions& options,
                                                 OsVersion& version) noexcept;

}  // namespace orvex
