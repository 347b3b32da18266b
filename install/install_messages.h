#pragma once

#include <cstdint>

#include "platform/system.h"

namespace orvex {

// A box whose text and caption both come from the catalogue; returns the
// answer (0 when the box could not be shown).
int ShowCatalogueBox(Ui& ui, std::uint32_t message, std::uint32_t caption, std::uint32_t style) noexcept;

// The error box of the installation steps: caption "Ошибка", error icon.
void ShowInstallError(Ui& ui, std::uint32_t message) noexcept;

}  // namespace orvex
