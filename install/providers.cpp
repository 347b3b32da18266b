#include "install/providers.h"

#include "resources/message_ids.h"

namespace orvex {

const Provider kProviders[kProviderCount] = {
    {u"csp", u"-csp", u"-CSPArgs",
     u"  -cspargs \"<args>\"\tдополнителные параметры\n\t\t\tкомандной строки (<args>) для\n\t\t\tвызова msiexec /i "
     u"при установке\n\t\t\tпакета MSI Велтон CSP\n"},
    {u"ucsp", u"-ucsp", u"-UCSPArgs",
     u"  -ucspargs \"<args>\"\tдополнительные параметры\n\t\t\tкомандной строки (<args>) для\n\t\t\tвызова msiexec /i "
     u"при установке\n\t\t\tпакета MSI Велтон УЭК CSP\n"},
};

namespace {

struct ProviderSetTexts {
  unsigned providers;
  RunTexts texts;
};

constexpr ProviderSetTexts kProviderSetTexts[] = {
    {0, {kMsgConfirmPlugin, kMsgRestartPlugin, kMsgDonePlugin}},
    {1u << kCsp, {kMsgConfirmCsp, kMsgRestartCsp, kMsgDoneCsp}},
    {1u << kUcsp, {kMsgConfirmUcsp, kMsgRestartUcsp, kMsgDoneUcsp}},
    {1u << kCsp | 1u << kUcsp, {kMsgConfirmCspUcsp, kMsgRestartCspUcsp, kMsgDoneCspUcsp}},
};

// The first set of providers with no row or with two; kProviderSetCount
// when each has exactly one.
constexpr std::size_t FirstSetWithoutItsRow() noexcept {
  for (std::size_t set = 0; set < kProviderSetCount; ++set) {
    int rows = 0;
    for (const ProviderSetTexts& row : kProviderSetTexts) rows += row.providers == set ? 1 : 0;
    if (rows != 1) return set;
  }
  return kProviderSetCount;
}
// On failure the compiler shows the set's bits on the left of the comparison.
static_assert(FirstSetWithoutItsRow() == kProviderSetCount, "a set of providers has no row of texts, or two");

}  // namespace

const RunTexts& TextsForProviders(const InstallOptions& options) noexcept {
  unsigned asked = 0;
  for (int id = 0; id < kProviderCount; ++id) {
    if (options.installProvider[id]) asked |= 1u << id;
  }
  for (const ProviderSetTexts& row : kProviderSetTexts) {
    if (row.providers == asked) return row.texts;
  }
  return kProviderSetTexts[0].texts;  // not reached: every set has its row
}

}  // namespace orvex
