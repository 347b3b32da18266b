#include "app/os_gate.h"

#include "resources/catalogue_box.h"

namespace orvex {

namespace {

// Exit codes of the refusals.
constexpr std::uint32_t kExitVersionUnavailable = 2;
constexpr std::uint32_t kExitWindows2000BelowSp4 = 3;
constexpr std::uint32_t kExitWindowsXpBelowSp2 = 4;
constexpr std::uint32_t kExitWindows2003BelowSp2 = 5;
// Below Windows 2000: the one exit code between the gate's others and the
// failed restart's 7 that nothing else uses.
constexpr std::uint32_t kExitSystemTooOld = 6;

struct GateRule {
  std::uint32_t major;
  std::uint32_t minor;
  std::uint16_t servicePackNeeded;
  std::uint32_t message;
  std::uint32_t exitCode;
};

// Version 5 before its minimum service pack; 5.3 and 6 or later pass.
constexpr GateRule kGateRules[] = {
    {5, 0, 4, kMsgNeedWindows2000Sp4, kExitWindows2000BelowSp4},
    {5, 1, 2, kMsgNeedWindowsXpSp2, kExitWindowsXpBelowSp2},
    {kWindows52.major, kWindows52.minor, 2, kMsgNeedWindows2003Sp2, kExitWindows2003BelowSp2},
};

std::uint32_t Refuse(Ui& ui, bool silent, std::uint32_t message, std::uint32_t exitCode) noexcept {
  (void)ShowUnlessSilent(ui, silent, {message, kMsgCaption, box::kIconError});
  return exitCode;
}

}  // namespace

std::uint32_t CheckOperatingSystem(SystemInfo& system, Ui& ui, const InstallOptions& options,
                                   OsVersion& version) noexcept {
  const bool silent = options.silent;
  if (!system.QueryOsVersion(version)) {
    // Its own number, with the text of the Vista SP2 refusal.
    return Refuse(ui, silent, kMsgNeedVistaSp2ForUnreadableVersion, kExitVersionUnavailable);
  }
  if (version.major < 5) return Refuse(ui, silent, kMsgSystemTooOld, kExitSystemTooOld);
  for (const GateRule& rule : kGateRules) {
    if (version.major == rule.major && version.minor == rule.minor && version.servicePackMajor < rule.servicePackNeeded) {
      return Refuse(ui, silent, rule.message, rule.exitCode);
    }
  }
  return 0;
}

}  // namespace orvex
