#pragma once

#include "install/install_options.h"
#include "base/status.h"
#include "platform/system.h"

namespace orvex {

// Runs the provider's subdirectory\Setup.exe with the Windows Installer
// options in its -args switch: "/qb " unless the provider's arguments hold a
// quiet level, and a verbose log in TMP unless they hold a log switch, then
// those arguments; then -silent, -reinstall and -noupdate as asked. 0 when
// its exit code counts as success (0, 3, 4, 8, 1602); otherwise that code,
// after message 105 unless silent.
[[nodiscard]] Status InstallProvider(Platform& platform, ProviderId provider, const InstallOptions& options) noexcept;

}  // namespace orvex
