#include <gtest/gtest.h>

#include <set>

#include "catalogue_text.h"
#include "resources/message_ids.h"
#include "resources/message_source.h"

namespace orvex {
namespace {

// The catalogue itself, which the tests otherwise only read from: names
// bound to their numbers and texts (the escapes among them), and the
// numbers left empty below the highest.
TEST(MessageCatalogue, NamesNumbersTextsAndTheEmptyNumbers) {
  const std::pair<std::uint32_t, const char16_t*> cases[] = {
      {kMsgNotAdministrator, u"Программа должна быть запущена от имени администратора."},
      {kMsgCaption, u"Велтон ЭЦП Browser plug-in"},
      {kMsgRestartFailed, u"Не удалось произвести перезагрузку.\nПерезагрузите компьютер вручную."},
      {kMsgErrorCaption, u"Ошибка"},
      {kMsgNeedVistaSp2ForUnreadableVersion,
       u"Для установки продукта на Windows Vista или Windows 2008 требуется пакет обновлений SP2."},
      {kMsgSystemDirectoryUnknown, u"Невозможно узнать путь системной директории."},
  };
  for (const auto& [id, expected] : cases) EXPECT_EQ(Message(id), expected) << id;
  std::set<std::uint32_t> numbers;
  for (const MessageSourceEntry& entry : kMessageSource) numbers.insert(entry.id);
  for (std::uint32_t id = 100; id <= *numbers.rbegin(); ++id) {
    const bool empty = id == 100 || id == 115 || id == 132 || id == 140 || id == 141 || id == 151;
    EXPECT_EQ(numbers.count(id), empty ? 0u : 1u) << id;
  }
}

}  // namespace
}  // namespace orvex
