#pragma once

#include "base/status.h"
#include "base/wide_string.h"
#include "platform/system.h"

namespace orvex {

// Finds the package by packagePattern, prepares the product's source list,
// runs the system's msiexec on it with properties (plus REBOOT=R and, unless
// properties carry a log switch of their own, a verbose log in TMP whose
// path goes to logPath) and returns its exit code. A restart request
// (1641, 3010, 3011) is recorded in the reboot marker and counts as 0.
[[nodiscard]] Status RunPluginMsiexec(Platform& platform, const WideString& productCode,
                                      const WideString& packagePattern, WideString properties, bool silent,
                                      WideString& logPath) noexcept;

// On Windows 5.2 (Server 2003, XP x64) deletes the product's cached
// source-hash file; on every other version does nothing.
void RemoveSourceHashFile(Platform& platform, const WideString& productCode) noexcept;

}  // namespace orvex
