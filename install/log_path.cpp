#include "install/log_path.h"

#include "resources/catalogue_box.h"
#include "resources/message_ids.h"

namespace orvex {

namespace {

void AppendTwoDigits(WideString& text, int value) noexcept {
  const char16_t digits[2] = {static_cast<char16_t>(u'0' + value / 10 % 10), static_cast<char16_t>(u'0' + value % 10)};
  text.Append(digits, 2);
}

}  // namespace

Status ReadEnvironmentText(Environment& environment, const char16_t* name, WideString& value) noexcept {
  std::uint32_t size = environment.GetVariable(name, nullptr, 0);
  // The variable may grow between the size query and the read: try again
  // with the size the read reports rather than take a cut value.
  for (int attempt = 0; attempt < 4; ++attempt) {
    WideString read;
    char16_t* buffer = read.GetBuffer(size);
    const std::uint32_t length = environment.GetVariable(name, buffer, size);
    if (length == 0) {
      read.ReleaseBuffer(0);
      // A variable that is there answers the size query with at least 1 (its
      // terminator); a 0 from the read is then an empty value, which leaves
      // the last error as an earlier call left it and gives no directory.
      if (size != 0) return kStatusEnvironmentNotFound;
      const Status error = environment.LastError();
      return error != 0 ? error : kStatusEnvironmentNotFound;
    }
    if (length < size) {
      read.ReleaseBuffer(length);
      value = static_cast<WideString&&>(read);
      return 0;
    }
    read.ReleaseBuffer(0);
    size = length;
  }
  return kStatusEnvironmentNotFound;
}

void MakeLogTimestamp(Environment& environment, WideString& timestamp) noexcept {
  const CalendarTime now = environment.LocalNow();
  WideString text;
  AppendTwoDigits(text, now.year / 100);
  AppendTwoDigits(text, now.year);
  const int fields[] = {now.month, now.day, now.hour, now.minute, now.second};
  for (const int field : fields) {
    text.Append(u"-", 1);
    AppendTwoDigits(text, field);
  }
  WideString line(text);
  line.Append(u"\n", 1);
  environment.WriteStandardOutput(line);
  timestamp = static_cast<WideString&&>(text);
}

Status BuildInstallLogPath(Environment& environment, Ui& ui, const WideString& prefix, bool silent,
                           WideString& path) noexcept {
  WideString directory;
  const Status status = ReadEnvironmentText(environment, u"TMP", directory);
  if (status != 0) {
    (void)ShowUnlessSilent(ui, silent, InstallError(kMsgEnvironmentUnavailable));
    return status;
  }
  WideString timestamp;
  MakeLogTimestamp(environment, timestamp);
  directory.Append(u"\\", 1);
  directory.Append(prefix);
  directory.Append(u"_", 1);
  directory.Append(timestamp);
  directory.Append(u".log");
  path = static_cast<WideString&&>(directory);
  return 0;
}

}  // namespace orvex
