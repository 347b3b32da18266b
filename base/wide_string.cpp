#include "base/wide_string.h"

#include <atomic>
#include <cstdarg>
#include <cstring>
#include <new>

namespace orvex {

struct WideString::Header {
  std::atomic<std::int32_t> references;
  std::size_t length;
  std::size_t capacity;  // units available for characters, not counting the NUL
};

namespace {

constexpr char16_t kEmpty[1] = {0};

// The most units one buffer may hold: with header and terminator it stays
// within PTRDIFF_MAX bytes (more than any allocator hands out), so the byte
// count cannot wrap.
constexpr std::size_t kHeaderLimit = 64;
constexpr std::size_t kMaxCapacity = (static_cast<std::size_t>(PTRDIFF_MAX) - kHeaderLimit) / sizeof(char16_t) - 1;

// length + count without wrapping: a sum past the limit stays past it.
std::size_t AddUnits(std::size_t length, std::size_t count) noexcept {
  return count > kMaxCapacity - length ? kMaxCapacity + 1 : length + count;
}

}  // namespace

std::size_t TextLength(const char16_t* text) noexcept {
  std::size_t length = 0;
  if (text != nullptr) {
    while (text[length] != 0) ++length;
  }
  return length;
}

WideString::WideString(const char16_t* text) noexcept {
  Append(text);
}

WideString::WideString(const WideString& other) noexcept : data_(other.data_) {
  if (data_ != nullptr) header()->references.fetch_add(1, std::memory_order_relaxed);
}

WideString::WideString(WideString&& other) noexcept : data_(other.data_) {
  other.data_ = nullptr;
}

WideString& WideString::operator=(const WideString& other) noexcept {
  if (data_ != other.data_) {
    if (other.data_ != nullptr) other.header()->references.fetch_add(1, std::memory_order_relaxed);
    Release();
    data_ = other.data_;
  }
  return *this;
}

WideString& WideString::operator=(WideString&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = other.data_;
    other.data_ = nullptr;
  }
  return *this;
}

WideString::~WideString() {
  Release();
}

WideString::Header* WideString::header() const noexcept {
  return reinterpret_cast<Header*>(data_) - 1;
}

void WideString::Release() noexcept {
  if (data_ == nullptr) return;
  Header* h = header();
  if (h->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    h->~Header();
    ReturnStringMemory(h);
  }
  data_ = nullptr;
}

std::size_t WideString::Length() const noexcept {
  return data_ == nullptr ? 0 : header()->length;
}

const char16_t* WideString::c_str() const noexcept {
  return data_ == nullptr ? kEmpty : data_;
}

WideString::Header* WideString::AllocateHeader(std::size_t capacity) noexcept {
  static_assert(sizeof(Header) <= kHeaderLimit);
  // A byte count that wrapped would hand back a tiny block for a huge string.
  if (capacity > kMaxCapacity) StringMemoryExhausted();
  void* block = ProvideStringMemory(sizeof(WideString::Header) + (capacity + 1) * sizeof(char16_t));
  auto* h = new (block) WideString::Header{};
  h->references.store(1, std::memory_order_relaxed);
  h->length = 0;
  h->capacity = capacity;
  return h;
}

void WideString::Reserve(std::size_t capacity) noexcept {
  const std::size_t length = Length();
  if (data_ != nullptr) {
    Header* h = header();
    const bool shared = h->references.load(std::memory_order_acquire) != 1;
    if (!shared && h->capacity >= capacity) return;
  }
  if (capacity < length) capacity = length;
  // Grow geometrically so that repeated appends stay linear.
  if (data_ != nullptr) {
    const std::size_t current = header()->capacity;
    const std::size_t doubled = current <= kMaxCapacity / 2 ? current * 2 : kMaxCapacity;
    if (capacity > current && capacity < doubled) capacity = doubled;
  }
  Header* fresh = AllocateHeader(capacity);
  auto* units = reinterpret_cast<char16_t*>(fresh + 1);
  if (length != 0) std::memcpy(units, data_, length * sizeof(char16_t));
  units[length] = 0;
  fresh->length = length;
  Release();
  data_ = units;
}

void WideString::Assign(const char16_t* text, std::size_t count) noexcept {
  if (text == nullptr) count = 0;
  // A shared buffer is left to its other owners (which also keeps text alive
  // should it point into it); a private one is reused.
  if (data_ != nullptr && header()->references.load(std::memory_order_acquire) != 1) Release();
  if (data_ != nullptr) {
    header()->length = 0;  // the old units stay readable for a text inside them
    if (count == 0) data_[0] = 0;
  }
  AppendUnits(text, count);
}

void WideString::Append(const char16_t* text) noexcept {
  Append(text, TextLength(text));
}

void WideString::Append(const char16_t* text, std::size_t count) noexcept {
  if (text == nullptr) return;
  std::size_t available = 0;
  for (; available < count && text[available] != 0; ++available) {
  }
  AppendUnits(text, available);
}

void WideString::AppendUnits(const char16_t* text, std::size_t count) noexcept {
  if (count == 0) return;
  const std::size_t length = Length();
  // The text may live inside this very buffer; keep that alive across Reserve.
  const bool inside = data_ != nullptr && text >= data_ && text <= data_ + header()->capacity;
  WideString keep;
  if (inside) keep = *this;
  Reserve(AddUnits(length, count));
  std::memmove(data_ + length, text, count * sizeof(char16_t));
  header()->length = length + count;
  data_[length + count] = 0;
}

void WideString::Append(const WideString& text) noexcept {
  WideString keep(text);  // appending a string to itself
  AppendUnits(keep.c_str(), keep.Length());
}

namespace {

void AppendNumber(WideString& target, unsigned long long value, unsigned base, bool negative) noexcept {
  char16_t digits[24];
  std::size_t count = 0;
  do {
    const unsigned digit = static_cast<unsigned>(value % base);
    digits[count++] = static_cast<char16_t>(digit < 10 ? u'0' + digit : u'a' + digit - 10);
    value /= base;
  } while (value != 0);
  if (negative) digits[count++] = u'-';
  char16_t ordered[24];
  for (std::size_t i = 0; i < count; ++i) ordered[i] = digits[count - 1 - i];
  target.Append(ordered, count);
}

}  // namespace

void WideString::AppendFormat(const char16_t* format, ...) noexcept {
  // The format or a %s text may point into this string: a second reference
  // keeps the current buffer alive until the end, the first append writes to
  // a private copy.
  WideString keep(*this);
  va_list arguments;
  va_start(arguments, format);
  for (const char16_t* p = format; *p != 0; ++p) {
    if (*p != u'%') {
      const char16_t* run = p;
      while (p[1] != 0 && p[1] != u'%') ++p;
      Append(run, static_cast<std::size_t>(p - run) + 1);
      continue;
    }
    const char16_t conversion = p[1];
    switch (conversion) {
      case u'u':
        AppendNumber(*this, va_arg(arguments, unsigned int), 10, false);
        break;
      case u'x':
        AppendNumber(*this, va_arg(arguments, unsigned int), 16, false);
        break;
      case u'd': {
        const int value = va_arg(arguments, int);
        const unsigned long long magnitude =
            value < 0 ? 0ULL - static_cast<unsigned long long>(static_cast<long long>(value))
                      : static_cast<unsigned long long>(value);
        AppendNumber(*this, magnitude, 10, value < 0);
        break;
      }
      case u'c': {
        const char16_t unit = static_cast<char16_t>(va_arg(arguments, int));
        Append(&unit, 1);
        break;
      }
      case u's':
        Append(va_arg(arguments, const char16_t*));
        break;
      case u'%':
        Append(u"%", 1);
        break;
      default:
        // Unknown or truncated conversion: keep the text as written.
        Append(p, conversion == 0 ? 1 : 2);
        break;
    }
    if (conversion == 0) break;
    ++p;
  }
  va_end(arguments);
}

WideString WideString::Right(std::size_t position) const noexcept {
  WideString part;
  if (position < Length()) part.AppendUnits(data_ + position, Length() - position);
  return part;
}

std::size_t WideString::Find(char16_t unit) const noexcept {
  for (std::size_t i = 0; i < Length(); ++i) {
    if (data_[i] == unit) return i;
  }
  return npos;
}

std::size_t WideString::FindLast(char16_t unit) const noexcept {
  for (std::size_t i = Length(); i > 0; --i) {
    if (data_[i - 1] == unit) return i - 1;
  }
  return npos;
}

std::size_t WideString::Find(const char16_t* text) const noexcept {
  const std::size_t needle = TextLength(text);
  const std::size_t length = Length();
  if (needle == 0) return 0;
  if (needle > length) return npos;
  for (std::size_t i = 0; i + needle <= length; ++i) {
    if (std::memcmp(data_ + i, text, needle * sizeof(char16_t)) == 0) return i;
  }
  return npos;
}

int WideString::compare(const WideString& other) const noexcept {
  const char16_t* a = c_str();
  const char16_t* b = other.c_str();
  for (;; ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
    if (*a == 0) return 0;
  }
}

char16_t* WideString::GetBuffer(std::size_t minimumUnits) noexcept {
  Reserve(minimumUnits > Length() ? minimumUnits : Length());
  // Whatever the caller writes, the buffer stays terminated at its capacity.
  data_[header()->capacity] = 0;
  return data_;
}

void WideString::ReleaseBuffer(std::size_t length) noexcept {
  if (data_ == nullptr) return;
  Header* h = header();
  if (length == npos || length > h->capacity) {
    length = 0;
    while (length < h->capacity && data_[length] != 0) ++length;
  }
  h->length = length;
  data_[length] = 0;
}

}  // namespace orvex
