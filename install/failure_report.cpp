#include "install/failure_report.h"

namespace orvex {

WideString FailureDetails(Status status, const WideString& logPath, FileSystem& files) noexcept {
  WideString details;
  details.AppendFormat(u": %u.\n", static_cast<unsigned>(status));
  if (logPath.Length() != 0 && files.PathExists(logPath)) {
    details.Append(u"Install log: ");
    details.Append(logPath);
  }
  return details;
}

}  // namespace orvex
