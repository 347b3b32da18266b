#include "install/failure_report.h"

namespace orvex {

void AppendFailureDetails(WideString& body, Status status, const WideString& logPath, FileSystem& files) noexcept {
  body.AppendFormat(u": %u", static_cast<unsigned>(status));
  body.Append(u".\n");
  if (logPath.Length() != 0 && files.PathExists(logPath)) {
    body.Append(u"Install log: ");
    body.Append(logPath);
  }
}

}  // namespace orvex
