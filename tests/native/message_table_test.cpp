#include <gtest/gtest.h>

#include <set>

#include "fake/fake_platform.h"
#include "resources/message_catalogue.h"
#include "resources/message_source.h"

namespace orvex {
namespace {

TEST(MessageCatalogue, EveryEntryLoadsAndIdsAreUnique) {
  std::set<std::uint32_t> seen;
  for (const MessageSourceEntry& entry : kMessageSource) {
    EXPECT_TRUE(seen.insert(entry.id).second) << entry.id;
    WideString text;
    ASSERT_TRUE(LoadMessage(entry.id, text)) << entry.id;
    EXPECT_EQ(fake::Text(text), std::u16string(entry.text));
    EXPECT_NE(FindMessageModule(entry.id), nullptr);
  }
  EXPECT_EQ(seen.size(), 47u);
}

TEST(MessageCatalogue, AMissingEntryLeavesTheTargetAsItWas) {
  for (const std::uint32_t id : {0u, 100u, 115u, 132u, 140u, 141u, 151u, 153u, 65535u}) {
    WideString text(u"прежний текст");
    EXPECT_FALSE(LoadMessage(id, text)) << id;
    EXPECT_EQ(fake::Text(text), u"прежний текст");
    EXPECT_EQ(FindMessageModule(id), nullptr);
  }
}

TEST(MessageCatalogue, VersionQueryMessageRepeatsTheServicePackText) {
  WideString shown;
  WideString unused;
  ASSERT_TRUE(LoadMessage(121, shown));
  ASSERT_TRUE(LoadMessage(120, unused));
  EXPECT_EQ(shown.compare(unused), 0);
}

}  // namespace
}  // namespace orvex
