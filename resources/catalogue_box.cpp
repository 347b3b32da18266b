#include "resources/catalogue_box.h"

namespace orvex {

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
