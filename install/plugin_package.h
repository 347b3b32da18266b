#pragma once

#include "base/status.h"
#include "base/wide_string.h"
#include "platform/system.h"

namespace orvex {

inline constexpr char16_t kPluginProductCode[] = u"{5B0E2C71-8D3A-4F69-A2C4-19E7B35D6F08}";

// Installs, updates or reinstalls the plug-in package for the system's
// architecture, deciding from the installed product and the versions;
// pluginArgs go last on the msiexec command line. 0 on success (also when
// the decision runs nothing), 1602 when the user declined the reinstall,
// otherwise the failing status. logPath receives the installer log's path
// when a log of ours was chosen.
[[nodiscard]] Status InstallPluginPackage(Platform& platform, WideString pluginArgs, bool silent, WideString& logPath,
                                          bool reinstall) noexcept;

}  // namespace orvex
