#include <gtest/gtest.h>

#include "fake/fake_platform.h"
#include "resources/message_ids.h"

namespace orvex {
namespace {

TEST(MessageCatalogue, NamesNumbersAndTextsAgree) {
  const std::pair<std::uint32_t, const char16_t*> cases[] = {
      {kMsgNotAdministrator, u"Программа должна быть запущена от имени администратора."},
      {kMsgCaption, u"Велтон ЭЦП Browser plug-in"},
      {kMsgRestartFailed, u"Не удалось произвести перезагрузку.\nПерезагрузите компьютер вручную."},
      {kMsgErrorCaption, u"Ошибка"},
      {kMsgNeedVistaSp2ForUnreadableVersion,
       u"Для установки продукта на Windows Vista или Windows 2008 требуется пакет обновлений SP2."},
      {kMsgSystemDirectoryUnknown, u"Невозможно узнать путь системной директории."},
  };
  for (const auto& [id, expected] : cases) {
    WideString text;
    ASSERT_TRUE(fake::LoadCatalogueMessage(id, text)) << id;
    EXPECT_EQ(fake::Text(text), expected) << id;
  }
}

TEST(MessageCatalogue, AMissingEntryLeavesTheTargetAsItWas) {
  for (const std::uint32_t id : {0u, 100u, 115u, 132u, 140u, 141u, 151u, 65535u}) {
    WideString text(u"прежний текст");
    EXPECT_FALSE(fake::LoadCatalogueMessage(id, text)) << id;
    EXPECT_EQ(fake::Text(text), u"прежний текст");
  }
}

}  // namespace
}  // namespace orvex
