#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "fake/fake_platform.h"
#include "resources/message_ids.h"

namespace orvex {

// A catalogue message as the program shows it, by its number or kMsgName; a
// missing one fails the test.
inline std::u16string Message(std::uint32_t id) {
  WideString text;
  EXPECT_TRUE(fake::LoadCatalogueMessage(id, text)) << id;
  return fake::Text(text);
}

}  // namespace orvex
