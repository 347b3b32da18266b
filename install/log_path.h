#pragma once

#include "base/status.h"
#include "base/wide_string.h"
#include "platform/system.h"

namespace orvex {

// Reads an environment variable whole, however long. 0 on success;
// otherwise the Windows error (ERROR_ENVVAR_NOT_FOUND when it is absent or
// empty) and value is left as it was.
[[nodiscard]] Status ReadEnvironmentText(Environment& environment, const char16_t* name, WideString& value) noexcept;

// The local time as YYYY-MM-DD-HH-MM-SS; the same text and a line feed go to
// standard output, so a caller that redirected it can find the log.
void MakeLogTimestamp(Environment& environment, WideString& timestamp) noexcept;

// %TMP%\<prefix>_<timestamp>.log, with TMP exactly as stored. On failure
// (TMP missing) shows message 144 unless silent, returns the Windows error
// and leaves path as it was.
[[nodiscard]] Status BuildInstallLogPath(Environment& environment, Ui& ui, const WideString& prefix, bool silent,
                                         WideString& path) noexcept;

}  // namespace orvex
