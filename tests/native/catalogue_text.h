#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

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

// The boxes a run showed, each as text, caption and style.
using Box = std::tuple<std::u16string, std::u16string, std::uint32_t>;
inline std::vector<Box> Boxes(const fake::FakeUi& ui) {
  std::vector<Box> boxes;
  for (const fake::Effect& shown : ui.shown()) boxes.emplace_back(shown.text, shown.caption, shown.style);
  return boxes;
}

inline std::u16string Digits(std::uint64_t number) {
  const std::string digits = std::to_string(number);
  return std::u16string(digits.begin(), digits.end());
}

// The number of the catalogue message a box shows, alone or followed by its
// details (": 1603..."); 0 for any other text.
inline std::uint32_t MessageNumber(const std::u16string& shown) {
  for (const MessageSourceEntry& entry : kMessageSource) {
    const std::u16string text = entry.text;
    if (!text.empty() && (shown == text || shown.rfind(text + u": ", 0) == 0)) return entry.id;
  }
  return 0;
}

}  // namespace orvex
