#include "resources/catalogue_box.h"

namespace orvex {

namespace {

constexpr std::uint32_t kCatalogueNumbers[] = {
#define ORVEX_MESSAGE(number, name, text) number,
#include "resources/messages.inc"
#undef ORVEX_MESSAGE
};

// The first number of messages.inc that is not above the one before it; 0
// when they all rise. A number used twice would load one of two texts.
constexpr std::uint32_t FirstNumberNotRising() noexcept {
  for (std::size_t i = 1; i < sizeof(kCatalogueNumbers) / sizeof(kCatalogueNumbers[0]); ++i) {
    if (kCatalogueNumbers[i] <= kCatalogueNumbers[i - 1]) return kCatalogueNumbers[i];
  }
  return 0;
}
// On failure the compiler shows that number on the left of the comparison.
static_assert(FirstNumberNotRising() == 0, "messages.inc: a number used twice, or lower than the line before it");

}  // namespace

int ShowEvenIfSilent(Ui& ui, const CatalogueBox& shown, const WideString& details) noexcept {
  WideString text;
  WideString caption;
  (void)ui.LoadMessage(shown.message, text);
  (void)ui.LoadMessage(shown.caption, caption);
  text.Append(details);
  return ui.ShowMessageBox(text, caption, shown.style);
}

int ShowUnlessSilent(Ui& ui, bool silent, const CatalogueBox& shown, int silentAnswer,
                     const WideString& details) noexcept {
  return silent ? silentAnswer : ShowEvenIfSilent(ui, shown, details);
}

}  // namespace orvex
