// Message lookup for builds without Windows resources: the same catalogue,
// compiled in as a table. A missing or empty entry counts as absent.
#include "resources/message_catalogue.h"
#include "resources/message_source.h"

namespace orvex {

bool LoadMessage(std::uint32_t id, WideString& target) noexcept {
  for (const MessageSourceEntry& entry : kMessageSource) {
    if (entry.id == id && entry.text[0] != 0) {
      target.Assign(entry.text, TextLength(entry.text));
      return true;
    }
  }
  return false;
}

}  // namespace orvex
