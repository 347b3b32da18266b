#pragma once

// Helpers shared by the fuzz targets: turning raw input into UTF-16
// fields, and a check that stops the run with a message.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace orvex::fuzz {

// Ends the run as a crash, so libFuzzer keeps the input; works with NDEBUG.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

// UTF-8 to UTF-16 that accepts anything: a byte that starts no valid
// sequence becomes the unit of the same value, and encoded surrogates come
// through as lone surrogates, so every unit sequence stays reachable.
inline std::u16string Widen(const std::uint8_t* data, std::size_t size) {
  std::u16string out;
  std::size_t i = 0;
  while (i < size) {
    const std::uint8_t lead = data[i];
    const std::size_t extra = lead >= 0xF0 && lead <= 0xF4   ? 3
                              : lead >= 0xE0 && lead <= 0xEF ? 2
                              : lead >= 0xC2 && lead <= 0xDF ? 1
                                                             : 0;
    std::uint32_t code = extra == 3 ? lead & 0x07u : extra == 2 ? lead & 0x0Fu : extra == 1 ? lead & 0x1Fu : lead;
    bool valid = i + extra < size;
    for (std::size_t k = 1; valid && k <= extra; ++k) {
      if ((data[i + k] & 0xC0) != 0x80) valid = false;
      else code = (code << 6) | (data[i + k] & 0x3Fu);
    }
    if (!valid || (extra == 2 && code < 0x800) || (extra == 3 && (code < 0x10000 || code > 0x10FFFF))) {
      out.push_back(static_cast<char16_t>(lead));
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
    i += extra + 1;
  }
  return out;
}

// The input cut at NUL bytes, each piece widened.
inline std::vector<std::u16string> SplitAtNul(const std::uint8_t* data, std::size_t size) {
  std::vector<std::u16string> fields;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= size; ++i) {
    if (i == size || data[i] == 0) {
      fields.push_back(Widen(data + start, i - start));
      start = i + 1;
    }
  }
  return fields;
}

}  // namespace orvex::fuzz
