#include "restart/reboot_marker.h"

namespace orvex {

namespace {

// KEY_READ, KEY_WRITE and KEY_WOW64_32KEY: the 32-bit view on every system,
// so 32-bit and 64-bit runs see one mark.
constexpr std::uint32_t kView32 = key::kWow64View32;
constexpr std::uint32_t kReadWrite32 = key::kRead | key::kWrite | key::kWow64View32;
constexpr std::uint32_t kRead32 = key::kRead | key::kWow64View32;

}  // namespace

Status CreateRebootMarker(Registry& registry) noexcept {
  return registry.CreateUserKey(kRebootMarkerKey, kReadWrite32);
}

Status QueryRebootMarker(Registry& registry, bool& pending) noexcept {
  const Status status = registry.OpenUserKey(kRebootMarkerKey, kRead32);
  pending = status == 0;
  return status;
}

Status RemoveRebootMarker(Registry& registry) noexcept {
  return registry.DeleteUserSubkey(kRebootMarkerParent, kReadWrite32, kRebootMarkerName, kView32);
}

bool RestartSystem(Power& power) noexcept {
  return power.EnableShutdownPrivilege() && power.RequestRestart();
}

}  // namespace orvex
