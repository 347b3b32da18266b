#include "base/wide_string.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <string>

namespace orvex {
namespace {

// The stored text, its terminator included, so a missing NUL shows.
std::u16string Text(const WideString& text) { return std::u16string(text.c_str(), text.Length() + 1); }
std::u16string T(const std::u16string& text) { return text + u'\0'; }

TEST(WideString, CopiesShareOneBufferUntilOneChanges) {
  WideString original(u"версия");
  WideString copy = original;
  EXPECT_EQ(original.c_str(), copy.c_str());

  copy.Append(u" 2");
  EXPECT_NE(original.c_str(), copy.c_str());
  EXPECT_EQ(Text(original), T(u"версия"));
  EXPECT_EQ(Text(copy), T(u"версия 2"));

  WideString third = original;
  char16_t* buffer = third.GetBuffer(3);
  buffer[0] = u'X';
  third.ReleaseBuffer();
  EXPECT_EQ(Text(original), T(u"версия")) << "writing through a buffer must not reach other copies";
  EXPECT_EQ(Text(third), T(u"Xерсия"));

  WideString empty;
  EXPECT_EQ(Text(empty), T(u""));
  WideString moved(static_cast<WideString&&>(third));
  EXPECT_EQ(Text(third), T(u""));  // NOLINT: checking the moved-from state on purpose
  WideString& alias = moved;
  moved = alias;
  moved = static_cast<WideString&&>(alias);
  EXPECT_EQ(Text(moved), T(u"Xерсия"));
}

// Whole, up to a count or a NUL, from another string or from inside its own
// buffer when the append must move the text elsewhere.
TEST(WideString, AppendsWholeOrUpToCountAndToItself) {
  WideString text;
  text.Append(u"abc");
  text.Append(u"defgh", 2);
  text.Append(u"xy", 10);
  EXPECT_EQ(Text(text), T(u"abcdexy"));
  text.Append(text);
  EXPECT_EQ(Text(text), T(u"abcdexyabcdexy"));
  text.Append(text.c_str() + 12, 2);
  EXPECT_EQ(Text(text), T(u"abcdexyabcdexyxy"));

  for (std::size_t from : {0u, 3u, 7u}) {
    WideString full(u"abcdefgh");
    full.Append(full.c_str() + from);
    EXPECT_EQ(Text(full), T(u"abcdefgh" + std::u16string(u"abcdefgh").substr(from)));
    WideString counted(u"abcdefgh");
    counted.Append(counted.c_str() + from, 8);
    EXPECT_EQ(Text(counted), Text(full));
  }

  WideString grown;
  for (int i = 0; i < 1000; ++i) grown.Append(u"0123456789");
  EXPECT_EQ(grown.Length(), 10000u);
  EXPECT_EQ(grown.c_str()[9999], u'9');
}

// Including a format or %s text inside the string itself, which outlives its growth.
TEST(WideString, FormatsNumbersAndTexts) {
  WideString a(u"Ошибка");
  a.AppendFormat(u": %u", 4294967295u);
  EXPECT_EQ(Text(a), T(u"Ошибка: 4294967295"));
  WideString b;
  b.AppendFormat(u"%d|%d|%x|%c|%s|100%%", -2147483647 - 1, 0, 0xBEEFu, u'ё', u"текст");
  EXPECT_EQ(Text(b), T(u"-2147483648|0|beef|ё|текст|100%"));
  WideString c;
  c.AppendFormat(u"%q and %");
  EXPECT_EQ(Text(c), T(u"%q and %"));
  WideString d(u"abc");
  d.AppendFormat(u"%s-%s", d.c_str(), d.c_str());
  EXPECT_EQ(Text(d), T(u"abcabc-abc"));
  WideString f(u"%s|%u");
  f.AppendFormat(f.c_str(), u"a text long enough to move the buffer", 7u);
  EXPECT_EQ(Text(f), T(u"%s|%ua text long enough to move the buffer|7"));
}

TEST(WideString, RightFindAndFindLast) {
  WideString path(u"D:\\dist\\x64\\orvexcom-x64.msi");
  const std::size_t slash = path.FindLast(u'\\');
  EXPECT_EQ(Text(path.Right(slash + 1)), T(u"orvexcom-x64.msi"));
  EXPECT_EQ(path.Find(u'\\'), 2u);
  EXPECT_EQ(path.Find(u'?'), WideString::npos);
  EXPECT_EQ(path.Find(u"x64"), 8u);
  EXPECT_EQ(path.Find(u"X64"), WideString::npos) << "search is case-sensitive";
  EXPECT_EQ(path.Find(u"orvexcom-x64.msi!"), WideString::npos);
  // Matches at the very end and of the whole text.
  EXPECT_EQ(path.Find(u".msi"), path.Length() - 4);
  EXPECT_EQ(WideString(u"abc").Find(u'c'), 2u);
  EXPECT_EQ(WideString(u"a /l").Find(u"/l"), 2u);
  EXPECT_EQ(WideString(u"/q").Find(u"/q"), 0u);
  EXPECT_EQ(WideString(u"/").Find(u"/q"), WideString::npos);
  EXPECT_EQ(WideString(u"xq").FindLast(u'x'), 0u);
  EXPECT_EQ(Text(path.Right(path.Length())), T(u""));
  EXPECT_EQ(Text(path.Right(1000)), T(u""));
  EXPECT_EQ(WideString(u"noslash").FindLast(u'\\'), WideString::npos);
}

TEST(WideString, ComparesOrdinallyWithTheTerminatorTakingPart) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    int expected;
  };
  const Case cases[] = {
      {u"2.0.10", u"2.0.9", -1},  // text, not numbers
      {u"10.0", u"9.0", -1},
      {u"2.0.1", u"2.0.1", 0},
      {u"2.0.1", u"2.0.1.0", -1},  // a proper prefix orders first
      {u"", u"1", -1},
      {u"", u"", 0},
      {u"a", u"A", 1},
      {u"\xFFFF", u"a", 1},  // unsigned units
      {u"Опции", u"Опции", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    EXPECT_EQ(WideString(c.a).compare(WideString(c.b)), c.expected);
    EXPECT_EQ(WideString(c.b).compare(WideString(c.a)), -c.expected);
  }
}

TEST(WideString, BufferLengthIsFixedAfterwards) {
  WideString text(u"abc");
  char16_t* buffer = text.GetBuffer(260);
  buffer[0] = u'C';
  buffer[1] = u':';
  buffer[2] = 0;
  buffer[3] = u'z';
  text.ReleaseBuffer();
  EXPECT_EQ(Text(text), T(u"C:")) << "cut at the first NUL";

  buffer = text.GetBuffer(10);
  for (int i = 0; i < 10; ++i) buffer[i] = u'q';
  text.ReleaseBuffer(4);
  EXPECT_EQ(Text(text), T(u"qqqq"));

  // A buffer filled to its end without a terminator still ends in one, and
  // a length past its room is found as if none were given.
  for (const std::size_t length : {WideString::npos, WideString::npos - 1}) {
    WideString full;
    buffer = full.GetBuffer(5);
    for (int i = 0; i < 5; ++i) buffer[i] = u'w';
    full.ReleaseBuffer(length);
    EXPECT_EQ(Text(full), T(u"wwwww"));
  }
}

// A NUL at the start or inside the count must neither cut the copy short nor
// leave the old text visible through c_str(); a shared old text stays with
// its other owner.
TEST(WideString, AssignTakesEveryUnitOverAnyOldText) {
  const std::u16string texts[] = {std::u16string(u"\0xyz", 4), std::u16string(u"ab\0cd", 5), u"", u"новый"};
  for (const std::u16string& expected : texts) {
    for (const bool shared : {false, true}) {
      WideString text(u"old text");
      const WideString other = shared ? text : WideString();
      text.Assign((expected + u"XYZ").data(), expected.size());
      EXPECT_EQ(Text(text), T(expected)) << shared;
      EXPECT_EQ(std::u16string(text.c_str()), expected.c_str()) << shared;
      EXPECT_EQ(Text(text.Right(0)), T(expected)) << shared;
      EXPECT_EQ(Text(other), T(shared ? u"old text" : u""));
    }
  }
  WideString text(u"old text");
  text.Assign(nullptr, 3);
  EXPECT_EQ(Text(text), T(u""));
  text = WideString(u"old text");
  text.Assign(text.c_str() + 4, 4);
  EXPECT_EQ(Text(text), T(u"text"));
}

// Sizes whose byte count would wrap end the process as exhausted memory does.
TEST(WideStringDeathTest, SizesNoBlockCanHoldEndTheProcess) {
  for (const std::size_t units : {SIZE_MAX, SIZE_MAX / 2 - 11, static_cast<std::size_t>(PTRDIFF_MAX)}) {
    WideString text(u"abc");
    EXPECT_EXIT(text.GetBuffer(units)[0] = u'x', testing::KilledBySignal(SIGABRT), "") << units;
  }
}

}  // namespace
}  // namespace orvex
