#pragma once

#include "base/status.h"
#include "base/wide_string.h"
#include "platform/system.h"

namespace orvex {

// Completes an installation failure message: ": <status>.\n" and, when the
// log file exists, "Install log: <path>".
void AppendFailureDetails(WideString& body, Status status, const WideString& logPath, FileSystem& files) noexcept;

}  // namespace orvex
