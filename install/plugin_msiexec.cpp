#include "install/plugin_msiexec.h"

#include "install/install_messages.h"
#include "install/log_path.h"
#include "install/package_search.h"
#include "resources/message_ids.h"
#include "restart/reboot_marker.h"

namespace orvex {

namespace {

constexpr std::uint32_t kSystemDirectoryUnits = 260;
constexpr std::uint32_t kMachineContext = 4;  // MSIINSTALLCONTEXT_MACHINE
constexpr std::uint32_t kProductCode = 0;     // MSICODE_PRODUCT

// The system directory, whole; 0 or the Windows error.
Status ReadSystemDirectory(Environment& environment, WideString& directory) noexcept {
  WideString read;
  char16_t* buffer = read.GetBuffer(kSystemDirectoryUnits);
  const std::uint32_t length = environment.GetSystemDirectory(buffer, kSystemDirectoryUnits - 1);
  if (length == 0) {
    const Status error = environment.LastError();
    return error != 0 ? error : kStatusPathTooLong;
  }
  // A larger answer is the size needed: the buffer holds no usable path.
  if (length >= kSystemDirectoryUnits - 1) return kStatusPathTooLong;
  read.ReleaseBuffer(length);
  directory = static_cast<WideString&&>(read);
  return 0;
}

}  // namespace

void RemoveSourceHashFile(Platform& platform, const WideString& productCode) noexcept {
  OsVersion version;
  if (!platform.system.QueryOsVersion(version) || version.major != 5 || version.minor != 2) return;
  WideString path;
  (void)ReadEnvironmentText(platform.environment, u"WINDIR", path);
  path.Append(u"\\installer\\SourceHash");
  path.Append(productCode);
  (void)platform.files.DeleteFile(path);
}

Status RunPluginMsiexec(Platform& platform, const WideString& productCode, const WideString& packagePattern,
                        WideString properties, bool silent, WideString& logPath) noexcept {
  WideString packagePath;
  Status status = FindPackageFile(platform.files, platform.environment, packagePattern, packagePath);
  if (status != 0) {
    if (!silent) ShowInstallError(platform.ui, kMsgPackageNotFound);
    return status;
  }

  properties.Prepend(WideString(u" REBOOT=R "));
  const std::size_t slash = packagePath.FindLast(u'\\');
  const WideString packageName = slash == WideString::npos ? packagePath : packagePath.Right(slash + 1);

  if (!HoldsLogSwitch(properties)) {
    status = BuildInstallLogPath(platform.environment, platform.ui, packageName, silent, logPath);
    if (status != 0) return status;
    WideString logSwitch(u"/Lv! \"");
    logSwitch.Append(logPath);
    logSwitch.Append(u"\"", 1);
    properties.Prepend(logSwitch);
  }

  WideString commandLine;
  status = ReadSystemDirectory(platform.environment, commandLine);
  if (status != 0) {
    if (!silent) ShowInstallError(platform.ui, kMsgSystemDirectoryUnknown);
    return status;
  }
  commandLine.Prepend(WideString(u"\""));
  commandLine.Append(u"\\msiexec.exe\" /i \"");
  commandLine.Append(packagePath);
  commandLine.Append(u"\" ");
  commandLine.Append(properties);

  // Their results change nothing: on a first installation there is no
  // source list to act on.
  (void)platform.installer.SourceListClearAll(productCode);
  (void)platform.installer.SourceListSetInfo(productCode, kMachineContext, kProductCode, u"PackageName", packageName);
  RemoveSourceHashFile(platform, productCode);

  bool exitCodeRead = false;
  status = platform.processes.RunProcess(commandLine, exitCodeRead);
  if (status == kStatusRebootInitiated || status == kStatusRebootRequired || status == kStatusRestartRequired) {
    (void)CreateRebootMarker(platform.registry);
    return 0;
  }
  return status;
}

}  // namespace orvex
