#pragma once

#include <cstdint>

#include "platform/system.h"
#include "resources/message_ids.h"

namespace orvex {

// A box whose texts come from the catalogue.
struct CatalogueBox {
  std::uint32_t message;
  std::uint32_t caption;
  std::uint32_t style;
};

// The installation steps' error box: caption "Ошибка", error icon.
[[nodiscard]] constexpr CatalogueBox InstallError(std::uint32_t message) noexcept {
  return {message, kMsgErrorCaption, box::kOk | box::kIconError};
}

// Every box goes through one of these two, whose name says what -silent
// does to it. The text is the message followed by details (such as a status
// and a log path). The answer is the button pressed, 0 when the box could
// not be shown.
[[nodiscard]] int ShowEvenIfSilent(Ui& ui, const CatalogueBox& shown,
                                   const WideString& details = WideString()) noexcept;
// Under -silent nothing is shown and the answer is silentAnswer.
[[nodiscard]] int ShowUnlessSilent(Ui& ui, bool silent, const CatalogueBox& shown, int silentAnswer = box::kIdOk,
                                   const WideString& details = WideString()) noexcept;

}  // namespace orvex
