#pragma once

#include "base/status.h"
#include "platform/system.h"

namespace orvex {

// The mark of a pending restart: the key HKCU\Software\NeedBstrReboot in the
// 32-bit registry view. Its existence is the whole mark.
#define ORVEX_REBOOT_MARKER_PARENT u"Software"
#define ORVEX_REBOOT_MARKER_NAME u"NeedBstrReboot"
inline constexpr char16_t kRebootMarkerParent[] = ORVEX_REBOOT_MARKER_PARENT;
inline constexpr char16_t kRebootMarkerName[] = ORVEX_REBOOT_MARKER_NAME;
inline constexpr char16_t kRebootMarkerKey[] = ORVEX_REBOOT_MARKER_PARENT u"\\" ORVEX_REBOOT_MARKER_NAME;

// Creates the mark (an existing one is kept); Win32 status.
[[nodiscard]] Status CreateRebootMarker(Registry& registry) noexcept;
// Sets pending when the mark can be opened; any failure (absent, access
// denied) counts as no mark.
[[nodiscard]] Status QueryRebootMarker(Registry& registry, bool& pending) noexcept;
[[nodiscard]] Status RemoveRebootMarker(Registry& registry) noexcept;

// Enables the shutdown privilege and asks Windows to restart at once. True
// when Windows accepted; without the privilege nothing is asked.
[[nodiscard]] bool RestartSystem(Power& power) noexcept;

}  // namespace orvex
