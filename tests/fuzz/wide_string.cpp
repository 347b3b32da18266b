// WideString driven by a small op-code interpreter over four strings, each
// checked after every step against a std::u16string model. The strings
// share buffers through copies, and texts given to them often point into
// one of them, so copy-on-write and self-reference get exercised.
//
// Input: a sequence of steps, each an op-code byte, a target byte and the
// operands the op reads (bytes, 16-bit units, texts as a length byte and
// that many UTF-16LE units).

#include <string>
#include <utility>
#include <vector>

#include "base/wide_string.h"
#include "fuzz_input.h"

namespace {

using orvex::WideString;
using orvex::fuzz::Reader;

constexpr std::size_t kSlots = 4;
constexpr std::size_t kMaxUnits = 1 << 14;  // keeps self-appends from growing without bound
constexpr std::size_t kMaxArguments = 4;

std::u16string UpToNul(const std::u16string& text, std::size_t from = 0) {
  if (from > text.size()) return u"";
  const std::size_t nul = text.find(u'\0', from);
  return text.substr(from, nul == std::u16string::npos ? std::u16string::npos : nul - from);
}

int Sign(int value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

enum class Kind { kUnsigned, kInt, kText };

struct Argument {
  Kind kind;
  unsigned u;
  int i;
  const char16_t* s;
};

// The argument kinds format's conversions read, in order; npos when there are
// at most kMaxArguments, else where the first one too many starts.
std::size_t Conversions(const std::u16string& format, std::vector<Kind>& kinds) {
  for (std::size_t p = 0; p < format.size(); ++p) {
    if (format[p] != u'%') continue;
    if (p + 1 == format.size()) break;
    const char16_t c = format[p + 1];
    if (c == u'u' || c == u'x' || c == u'd' || c == u'c' || c == u's') {
      if (kinds.size() == kMaxArguments) return p;  // cut here: more than we pass
      kinds.push_back(c == u's' ? Kind::kText : c == u'd' || c == u'c' ? Kind::kInt : Kind::kUnsigned);
    }
    ++p;
  }
  return std::u16string::npos;
}

std::u16string Number(unsigned long long value, unsigned base) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), u"0123456789abcdef"[value % base]);
    value /= base;
  } while (value != 0);
  return digits;
}

// What AppendFormat makes of format, by a plain reading of its rules.
std::u16string ModelFormat(const std::u16string& format, const std::vector<Argument>& arguments) {
  std::u16string out;
  std::size_t next = 0;
  for (std::size_t p = 0; p < format.size(); ++p) {
    if (format[p] != u'%') {
      out.push_back(format[p]);
      continue;
    }
    if (p + 1 == format.size()) {
      out.push_back(u'%');
      break;
    }
    const char16_t c = format[++p];
    switch (c) {
      case u'u': out += Number(arguments[next++].u, 10); break;
      case u'x': out += Number(arguments[next++].u, 16); break;
      case u'd': {
        const long long value = arguments[next++].i;
        out += value < 0 ? u"-" + Number(static_cast<unsigned long long>(-value), 10)
                         : Number(static_cast<unsigned long long>(value), 10);
        break;
      }
      case u'c': {
        const auto unit = static_cast<char16_t>(arguments[next++].i);
        if (unit != 0) out.push_back(unit);  // a NUL ends the one-unit text
        break;
      }
      case u's': {
        const char16_t* text = arguments[next++].s;
        out += text == nullptr ? u"" : text;
        break;
      }
      case u'%': out.push_back(u'%'); break;
      default: out += {u'%', c}; break;
    }
  }
  return out;
}

// Calls AppendFormat with exactly the argument types the conversions read.
template <typename... Args>
void CallFormat(WideString& target, const char16_t* format, const Argument* next, const Argument* end,
                Args... arguments) {
  if constexpr (sizeof...(Args) < kMaxArguments) {
    if (next != end) {
      switch (next->kind) {
        case Kind::kUnsigned: return CallFormat(target, format, next + 1, end, arguments..., next->u);
        case Kind::kInt: return CallFormat(target, format, next + 1, end, arguments..., next->i);
        case Kind::kText: return CallFormat(target, format, next + 1, end, arguments..., next->s);
      }
    }
  }
  FUZZ_CHECK(next == end);
  target.AppendFormat(format, arguments...);
}

struct Machine {
  WideString strings[kSlots];
  std::u16string models[kSlots];

  void Check() const {
    for (std::size_t k = 0; k < kSlots; ++k) FUZZ_CHECK(orvex::fuzz::Holds(strings[k], models[k]));
  }

  // A pointer into slot k at an offset the reader picks (its end included).
  const char16_t* Inside(Reader& in, std::size_t k, std::size_t& offset) const {
    offset = in.Byte() % (models[k].size() + 1);
    return strings[k].c_str() + offset;
  }

  void Format(Reader& in, std::size_t t, const std::u16string& format) {
    std::vector<Kind> kinds;
    if (Conversions(format, kinds) != std::u16string::npos) return;
    std::vector<Argument> arguments;
    std::vector<std::u16string> texts;  // the inputs' own texts, alive for the call
    texts.reserve(kinds.size());
    for (const Kind kind : kinds) {
      Argument argument{kind, 0, 0, nullptr};
      if (kind == Kind::kUnsigned) argument.u = in.Word();
      if (kind == Kind::kInt) argument.i = static_cast<int>(in.Word());
      if (kind == Kind::kText) {
        const std::uint8_t source = in.Byte();
        if (source < kSlots) {
          std::size_t offset = 0;
          argument.s = Inside(in, source, offset);
        } else if (source != 0xFF) {
          texts.push_back(in.Units(16));
          argument.s = texts.back().c_str();
        }  // else a null text: appends nothing
      }
      arguments.push_back(argument);
    }
    const std::u16string expected = ModelFormat(format, arguments);
    if (models[t].size() + expected.size() > kMaxUnits) return;
    CallFormat(strings[t], format.c_str(), arguments.data(), arguments.data() + arguments.size());
    models[t] += expected;
  }

  void Step(Reader& in) {
    const std::uint8_t op = in.Byte();
    const std::size_t t = in.Byte() % kSlots;  // the string acted on
    const std::size_t s = in.Byte() % kSlots;  // another string (or the same) it reads from
    WideString& target = strings[t];
    std::u16string& model = models[t];
    switch (op % 16) {
      case 0: {
        const std::u16string text = in.Units(32);
        if (model.size() + text.size() > kMaxUnits) break;
        target.Append(text.c_str());
        model += UpToNul(text);
        break;
      }
      case 1: {
        const std::size_t count = in.Byte();
        const std::u16string text = in.Units(32);
        if (model.size() + text.size() > kMaxUnits) break;
        target.Append(text.c_str(), count);
        model += UpToNul(text.substr(0, count));
        break;
      }
      case 2:
        if (model.size() + models[s].size() > kMaxUnits) break;
        target.Append(strings[s]);
        model += models[s];
        break;
      case 3: {  // NULs included
        const bool null = (in.Byte() & 1) != 0;
        const std::u16string text = in.Units(32);
        const std::size_t count = in.Byte() % (text.size() + 1);
        target.Assign(null ? nullptr : text.c_str(), count);
        model = null ? u"" : text.substr(0, count);
        break;
      }
      case 4: {  // from inside a string, perhaps the target itself
        std::size_t offset = 0;
        const char16_t* from = Inside(in, s, offset);
        const std::size_t count = in.Byte() % (models[s].size() - offset + 1);
        const std::u16string expected = models[s].substr(offset, count);
        target.Assign(from, count);
        model = expected;
        break;
      }
      case 5:  // a string appended to itself
        if (2 * model.size() > kMaxUnits) break;
        target.Append(target);
        model += model;
        break;
      case 6:
        Format(in, t, UpToNul(in.Units(24)));
        break;
      case 7: {  // the format is a string's own text, up to its first NUL
        std::size_t offset = 0;
        (void)Inside(in, s, offset);
        const std::u16string format = UpToNul(models[s], offset);
        std::vector<Kind> kinds;
        if (Conversions(format, kinds) != std::u16string::npos) break;
        // Same conversions as the copy, so the same arguments fit both.
        const char16_t* own = strings[s].c_str() + offset;
        std::vector<Argument> arguments;
        for (const Kind kind : kinds) {
          Argument argument{kind, in.Word(), 0, nullptr};
          argument.i = static_cast<int>(argument.u);
          if (kind == Kind::kText) argument.s = strings[in.Byte() % kSlots].c_str();
          arguments.push_back(argument);
        }
        const std::u16string expected = ModelFormat(format, arguments);
        if (model.size() + expected.size() > kMaxUnits) break;
        CallFormat(target, own, arguments.data(), arguments.data() + arguments.size());
        model += expected;
        break;
      }
      case 8: {
        const std::size_t position = in.Byte();
        const std::u16string expected = position < models[s].size() ? models[s].substr(position) : u"";
        target = strings[s].Right(position);
        model = expected;
        break;
      }
      case 9: {
        const char16_t unit = in.Unit();
        const std::size_t first = model.find(unit);
        const std::size_t last = model.rfind(unit);
        FUZZ_CHECK(target.Find(unit) == (first == std::u16string::npos ? WideString::npos : first));
        FUZZ_CHECK(target.FindLast(unit) == (last == std::u16string::npos ? WideString::npos : last));
        break;
      }
      case 10: {  // a needle from the input or from inside a string
        std::u16string needle;
        const char16_t* pointer = nullptr;
        if ((in.Byte() & 1) != 0) {
          needle = UpToNul(in.Units(8));
          pointer = needle.c_str();
        } else {
          std::size_t offset = 0;
          pointer = Inside(in, s, offset);
          needle = UpToNul(models[s], offset);
        }
        const std::size_t found = model.find(needle);
        FUZZ_CHECK(target.Find(pointer) == (found == std::u16string::npos ? WideString::npos : found));
        break;
      }
      case 11: {  // ordinal up to the first NUL, the terminator taking part
        const int expected = Sign(UpToNul(model).compare(UpToNul(models[s])));
        FUZZ_CHECK(target.compare(strings[s]) == expected);
        FUZZ_CHECK(strings[s].compare(target) == -expected);
        break;
      }
      case 12: {  // a writer that fills part of the buffer, as a Windows call does
        const std::size_t minimum = in.Byte() % 64;
        const std::size_t room = minimum > model.size() ? minimum : model.size();
        const std::size_t offset = in.Byte() % (model.size() + 1);
        std::u16string written = in.Units(32);
        if (written.size() > room - offset) written.resize(room - offset);
        const std::uint8_t mode = in.Byte();
        char16_t* buffer = target.GetBuffer(minimum);
        FUZZ_CHECK(buffer != nullptr);
        for (std::size_t k = 0; k < model.size(); ++k) FUZZ_CHECK(buffer[k] == model[k]);
        written.copy(buffer + offset, written.size());
        std::u16string filled = model;
        if (filled.size() < offset + written.size()) filled.resize(offset + written.size());
        filled.replace(offset, written.size(), written);
        if ((mode & 1) != 0) {  // the caller states the length
          const std::size_t length = in.Byte() % (filled.size() + 1);
          target.ReleaseBuffer(length);
          model = filled.substr(0, length);
        } else {  // the caller leaves a terminator, the length is found
          buffer[offset + written.size()] = 0;
          filled.resize(offset + written.size());
          target.ReleaseBuffer((mode & 2) != 0 ? WideString::npos : WideString::npos - 1);
          model = UpToNul(filled);
        }
        break;
      }
      case 13:
        target = strings[s];
        model = models[s];
        break;
      case 14:
        if (t != s) {
          target = std::move(strings[s]);
          model = std::move(models[s]);
          models[s].clear();  // a moved-from string is empty
        } else {
          WideString& same = strings[s];
          target = std::move(same);  // moving onto itself changes nothing
        }
        break;
      case 15: {
        WideString copy(strings[s]);  // one more owner while the target is rebuilt
        target = WideString(copy.c_str());
        model = UpToNul(models[s]);
        break;
      }
    }
    Check();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  Machine machine;
  while (!in.empty()) machine.Step(in);
  return 0;
}
