// The version order: its documented rule, antisymmetry and reflexivity.
//
// Input: the package's version, a NUL byte, the installed version, as UTF-8
// (any byte goes).

#include <string>
#include <vector>

#include "fuzz_input.h"
#include "install/package_search.h"

namespace {

using orvex::WideString;

// Dotted decimal whose every field is non-empty, ASCII digits only and fits
// 32 bits; the fields' values go to numbers.
bool DottedDecimal(const std::u16string& text, std::vector<std::uint64_t>& numbers) {
  if (text.empty()) return false;
  std::size_t start = 0;
  for (;;) {
    const std::size_t dot = text.find(u'.', start);
    const std::size_t end = dot == std::u16string::npos ? text.size() : dot;
    if (end == start) return false;
    std::uint64_t value = 0;
    for (std::size_t k = start; k < end; ++k) {
      if (text[k] < u'0' || text[k] > u'9') return false;
      value = value * 10 + (text[k] - u'0');
      if (value > 0xFFFFFFFFu) return false;
    }
    numbers.push_back(value);
    if (dot == std::u16string::npos) return true;
    start = dot + 1;
  }
}

int ExpectedOrder(const std::u16string& package, const std::u16string& installed) {
  std::vector<std::uint64_t> a;
  std::vector<std::uint64_t> b;
  if (DottedDecimal(package, a) && DottedDecimal(installed, b)) {
    a.resize(a.size() > b.size() ? a.size() : b.size());  // missing fields count as 0
    b.resize(a.size());
    return a < b ? -1 : a > b ? 1 : 0;
  }
  const int ordinal = package.compare(installed);  // char16_t compares unsigned
  return ordinal < 0 ? -1 : ordinal > 0 ? 1 : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::u16string> fields = orvex::fuzz::SplitAtNul(data, size);
  const std::u16string& package = fields[0];
  const std::u16string installed = fields.size() > 1 ? fields[1] : u"";
  const WideString a(package.c_str());
  const WideString b(installed.c_str());

  const int order = orvex::OrderVersions(a, b);
  FUZZ_CHECK(order == -1 || order == 0 || order == 1);
  FUZZ_CHECK(order == ExpectedOrder(package, installed));
  FUZZ_CHECK(orvex::OrderVersions(b, a) == -order);
  FUZZ_CHECK(orvex::OrderVersions(a, a) == 0 && orvex::OrderVersions(b, b) == 0);
  FUZZ_CHECK(orvex::OrderVersions(a, WideString(a)) == 0);  // a copy sharing the buffer
  return 0;
}
