#pragma once

#include "base/status.h"
#include "base/wide_string.h"
#include "platform/system.h"

namespace orvex {

// What follows an installation failure message: ": <status>.\n" and, when
// the log file exists, "Install log: <path>".
[[nodiscard]] WideString FailureDetails(Status status, const WideString& logPath, FileSystem& files) noexcept;

}  // namespace orvex
