#include "platform/text.h"

#include <gtest/gtest.h>

TEST(Text, Utf8RoundTripKeepsEveryPlane) {
  const std::u16string wide = u"Caf\u00e9 \u65e5\u672c \U0001F3B5";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(wide)), wide);
}

TEST(Text, AnsiTextIsUtf8WhenValidElseWindows1252) {
  struct Case {
    std::string bytes;
    std::u16string wide;
  };
  const Case cases[] = {
      {"plain", u"plain"},
      {"\xEF\xBB\xBFskin", u"skin"},  // byte-order mark dropped
      {"Caf\xC3\xA9", u"Caf\u00e9"},  // valid UTF-8
      {"Caf\xE9", u"Caf\u00e9"},      // not UTF-8: Windows-1252
      {"\x80 \x93quoted\x94", u"\u20ac \u201cquoted\u201d"},
      {"\xC0\xAF", u"\u00c0\u00af"},  // overlong UTF-8 is not UTF-8
  };
  for (const Case& c : cases) EXPECT_EQ(AnsiToWide(c.bytes), c.wide) << c.bytes;
}

TEST(Text, WideCopyAlwaysTerminatesWithinItsBuffer) {
  char16_t buffer[5];
  WideCopy(buffer, 5, u"abcdefgh");
  EXPECT_EQ(std::u16string(buffer), u"abcd");
  WideCopy(buffer, 5, u"ab");
  EXPECT_EQ(std::u16string(buffer), u"ab");
}

TEST(Text, UnpairedSurrogateBecomesReplacement) {
  const char16_t broken[] = {u'a', 0xD800, u'b', 0};
  EXPECT_EQ(WideToUtf8(broken),
            "a\xEF\xBF\xBD"
            "b");
}
