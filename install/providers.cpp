#include "install/providers.h"

#include "resources/message_ids.h"

namespace orvex {

constexpr Provider kProviders[kProviderCount] = {
    {u"csp", u"-csp", u"-CSPArgs",
     u"  -cspargs \"<args>\"\tдополнителные параметры\n\t\t\tкомандной строки (<args>) для\n\t\t\tвызова msiexec /i "
     u"при установке\n\t\t\tпакета MSI Велтон CSP\n"},
    {u"ucsp", u"-ucsp", u"-UCSPArgs",
     u"  -ucspargs \"<args>\"\tдополнительные параметры\n\t\t\tкомандной строки (<args>) для\n\t\t\tвызова msiexec /i "
     u"при установке\n\t\t\tпакета MSI Велтон УЭК CSP\n"},
};

namespace {

// The first provider without its row, kProviderCount when each has one: a
// row left out would otherwise compile as an empty one.
constexpr int FirstProviderWithoutRow() noexcept {
  for (int id = 0; id < kProviderCount; ++id) {
    if (kProviders[id].subdirectory == nullptr) return id;
  }
  return kProviderCount;
}
// On failure the compiler shows the provider's id on the left of the comparison.
static_assert(FirstProviderWithoutRow() == kProviderCount, "a provider has no row in kProviders");

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

constexpr std::uint32_t BoxMessage(std::size_t index) noexcept {
  const RunTexts& texts = kProviderSetTexts[index / 3].texts;
  return index % 3 == 0 ? texts.confirmation : index % 3 == 1 ? texts.restartQuestion : texts.closing;
}

// The first message that two boxes of the rows share, 0 when none: a set
// that borrows another's texts names the wrong providers.
constexpr std::uint32_t FirstSharedMessage() noexcept {
  constexpr std::size_t boxes = sizeof(kProviderSetTexts) / sizeof(kProviderSetTexts[0]) * 3;
  for (std::size_t a = 0; a < boxes; ++a) {
    for (std::size_t b = a + 1; b < boxes; ++b) {
      if (BoxMessage(a) == BoxMessage(b)) return BoxMessage(a);
    }
  }
  return 0;
}
// On failure the compiler shows the message on the left of the comparison.
static_assert(FirstSharedMessage() == 0, "two sets of providers, or two boxes of one, share a message");

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
