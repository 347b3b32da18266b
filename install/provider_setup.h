#pragma once

#include "base/status.h"
#include "base/wide_string.h"
#include "platform/system.h"

namespace orvex {

// Runs subdirectory\Setup.exe with the Windows Installer options in its
// -args switch: "/qb " unless arguments hold a quiet level, and a verbose
// log in TMP unless they hold a log switch, then arguments. 0 when its exit
// code counts as success (0, 3, 4, 8, 1602); otherwise that code, after
// message 105 unless silent.
[[nodiscard]] Status InstallProvider(Platform& platform, const WideString& subdirectory, WideString arguments,
                                     bool silent, bool reinstall, bool noUpdate) noexcept;

}  // namespace orvex
