#pragma once

#include "install/install_options.h"
#include "base/status.h"
#include "platform/system.h"

namespace orvex {

inline constexpr char16_t kPluginProductCode[] = u"{5B0E2C71-8D3A-4F69-A2C4-19E7B35D6F08}";

// Installs, updates or reinstalls the plug-in package for the system's
// architecture, deciding from the installed product and the versions, then
// runs the system's msiexec on it with the plug-in arguments last. A restart
// that msiexec asks for (1641, 3010, 3011) is recorded in the reboot marker
// and counts as 0. 0 on success (also when the decision runs nothing), 1602
// when the user declined the reinstall, otherwise the failing status.
// windowsVersion is the Windows version as the gate read it. logPath receives the
// installer log's path when a log of ours was chosen.
[[nodiscard]] Status InstallPluginPackage(Platform& platform, const InstallOptions& options, const OsVersion& windowsVersion,
                                          WideString& logPath) noexcept;

}  // namespace orvex
