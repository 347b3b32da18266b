// Message lookup for builds without Windows resources: the same catalogue,
// compiled in as a table. A missing or empty entry counts as absent.
#include "resources/message_catalogue.h"
#include "resources/message_source.h"

namespace orvex {

namespace {

const MessageSourceEntry* FindEntry(std::uint32_t id) noexcept {
  for (const MessageSourceEntry& entry : kMessageSource) {
    if (entry.id == id && entry.text[0] != 0) return &entry;
  }
  return nullptr;
}

}  // namespace

const void* FindMessageModule(std::uint32_t id) noexcept {
  return FindEntry(id) != nullptr ? static_cast<const void*>(kMessageSource) : nullptr;
}

bool AddMessageModule(const void*) noexcept {
  return false;
}

bool LoadMessage(std::uint32_t id, WideString& target) noexcept {
  const MessageSourceEntry* entry = FindEntry(id);
  if (entry == nullptr) return false;
  target.Assign(entry->text, TextLength(entry->text));
  return true;
}

}  // namespace orvex
