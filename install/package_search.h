#pragma once

#include "base/status.h"
#include "base/wide_string.h"
#include "platform/system.h"

namespace orvex {

// Every plug-in package's file name begins with this.
inline constexpr char16_t kPackageStem[] = u"orvexcom";

// The first entry matching pattern in the immediate sub-directories of the
// current directory, in the order the directory lists them; directories
// whose names begin with a full stop are skipped. On success path is the
// full path and name the file name alone. 232 when nothing matches; 206 when the current directory does
// not fit kPathUnits, terminator included (no cut path is ever built); otherwise the
// error of reading the current directory.
[[nodiscard]] Status FindPackageFile(FileSystem& files, Environment& environment, const WideString& pattern,
                                     WideString& path, WideString& name) noexcept;

// How the package's version orders against the installed one: -1 when the
// installed version is newer, 0 when equal, +1 when the package is newer.
// Dotted decimal versions compare field by field as numbers (a missing
// field counts as 0); anything else falls back to the ordinal comparison.
[[nodiscard]] int OrderVersions(const WideString& package, const WideString& installed) noexcept;

// Reads the installed product's version and the version of the first
// plug-in package found (of either architecture), and orders them (order is set only on success).
// Each failing step shows its error box, silent or not, and returns its
// status; the package handle is closed on every path.
[[nodiscard]] Status ComparePackageVersion(Platform& platform, const WideString& productCode, int& order) noexcept;

}  // namespace orvex
