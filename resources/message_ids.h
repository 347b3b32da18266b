#pragma once

#include <cstdint>

namespace orvex {

// Numbers of the catalogue entries that the code shows; the texts live in
// resources/messages.inc.
enum MessageId : std::uint32_t {
  kMsgNotAdministrator = 101,
  kMsgConfirmCsp = 102,
  kMsgConfirmPlugin = 103,
  kMsgCaption = 104,
  kMsgProviderFailed = 105,
  kMsgPluginFailed = 106,
  kMsgRestartCsp = 107,
  kMsgRestartPlugin = 108,
  kMsgDoneCsp = 109,
  kMsgDonePlugin = 110,
  kMsgRestartFailed = 111,
  kMsgSystemTooOld = 116,
  kMsgNeedWindows2000Sp4 = 117,
  kMsgNeedWindowsXpSp2 = 118,
  kMsgNeedWindows2003Sp2 = 119,
  kMsgVersionUnavailable = 121,
  kMsgConfirmUcsp = 122,
  kMsgRestartUcsp = 123,
  kMsgDoneUcsp = 124,
  kMsgConfirmCspUcsp = 125,
  kMsgRestartCspUcsp = 126,
  kMsgDoneCspUcsp = 127,
  kMsgUpdateCaption = 128,
  kMsgErrorCaption = 129,
  kMsgInstalledVersionUnknown = 131,
  kMsgPackageUnopenable = 133,
  kMsgPackageVersionUnknown = 134,
  kMsgPackageNotFound = 139,
  kMsgHide = 142,
  kMsgOptions = 143,
  kMsgEnvironmentUnavailable = 144,
  kMsgReinstallQuestion = 147,
  kMsgNewerInstalled = 150,
  kMsgSystemDirectoryUnknown = 152,
};

}  // namespace orvex
