#include "install/install_messages.h"

#include "resources/message_catalogue.h"
#include "resources/message_ids.h"

namespace orvex {

int ShowCatalogueBox(Ui& ui, std::uint32_t message, std::uint32_t caption, std::uint32_t style) noexcept {
  WideString text;
  WideString title;
  LoadMessage(message, text);
  LoadMessage(caption, title);
  return ui.ShowMessageBox(text, title, style);
}

void ShowInstallError(Ui& ui, std::uint32_t message) noexcept {
  (void)ShowCatalogueBox(ui, message, kMsgErrorCaption, box::kOk | box::kIconError);
}

}  // namespace orvex
