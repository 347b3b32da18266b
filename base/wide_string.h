#pragma once

#include <cstddef>
#include <cstdint>

namespace orvex {

// UTF-16 text with a stored length and a NUL after the characters, so it can
// be handed to Windows calls as is. Copies share one buffer through an
// atomic reference count; a change to a shared buffer makes a private copy
// first, so passing by value is cheap. Memory comes from ProvideStringMemory,
// which is the process heap on Windows.
class WideString {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  WideString() noexcept = default;
  WideString(const char16_t* text) noexcept;  // NOLINT: implicit from a literal is the point
  WideString(const WideString& other) noexcept;
  WideString(WideString&& other) noexcept;
  WideString& operator=(const WideString& other) noexcept;
  WideString& operator=(WideString&& other) noexcept;
  ~WideString();

  [[nodiscard]] std::size_t Length() const noexcept;
  // Always NUL-terminated; an empty text gives "".
  [[nodiscard]] const char16_t* c_str() const noexcept;

  // Replaces the content with exactly count units of text, NULs included
  // (used to fill the text from a string-table entry, which has no
  // terminator). A null text gives an empty string.
  void Assign(const char16_t* text, std::size_t count) noexcept;

  void Append(const char16_t* text) noexcept;
  // At most count units: stops early at a NUL.
  void Append(const char16_t* text, std::size_t count) noexcept;
  void Append(const WideString& text) noexcept;
  // printf-style: %u %d %x %c %s (a UTF-16 text) and %%.
  void AppendFormat(const char16_t* format, ...) noexcept;

  // The characters from position on (empty when position is past the end).
  [[nodiscard]] WideString Right(std::size_t position) const noexcept;

  [[nodiscard]] std::size_t Find(char16_t unit) const noexcept;
  [[nodiscard]] std::size_t FindLast(char16_t unit) const noexcept;
  [[nodiscard]] std::size_t Find(const char16_t* text) const noexcept;

  // Ordinal comparison by unsigned code units; the terminating NUL takes part,
  // so a proper prefix orders first. Returns -1, 0 or +1.
  [[nodiscard]] int compare(const WideString& other) const noexcept;

  // A private writable buffer with room for at least minimumUnits units and a
  // terminator. ReleaseBuffer fixes the length: at the first NUL by default.
  [[nodiscard]] char16_t* GetBuffer(std::size_t minimumUnits) noexcept;
  void ReleaseBuffer(std::size_t length = npos) noexcept;

 private:
  struct Header;

  [[nodiscard]] static Header* AllocateHeader(std::size_t capacity) noexcept;
  [[nodiscard]] Header* header() const noexcept;
  // Makes the buffer private with room for capacity units (plus NUL),
  // keeping the current characters.
  void Reserve(std::size_t capacity) noexcept;
  void Release() noexcept;
  // Appends exactly count units, NULs included.
  void AppendUnits(const char16_t* text, std::size_t count) noexcept;

  char16_t* data_ = nullptr;  // points just past the header, or null when empty
};

// Length of a NUL-terminated UTF-16 text.
[[nodiscard]] std::size_t TextLength(const char16_t* text) noexcept;

// Raw memory for string buffers; the Windows build takes it from the process
// heap, other builds from malloc. Neither returns null: exhaustion ends the
// process.
[[nodiscard]] void* ProvideStringMemory(std::size_t bytes) noexcept;
void ReturnStringMemory(void* block) noexcept;
// Ends the process as exhausted memory does; for sizes no block can hold.
[[noreturn]] void StringMemoryExhausted() noexcept;

}  // namespace orvex
