#include <gtest/gtest.h>

#include "web/inets.h"

namespace {

Inets::Bytes BytesOf(std::string_view text) { return {text.begin(), text.end()}; }

TEST(BytesToText, DecodesUtf8) {
  EXPECT_EQ(Inets::BytesToText(BytesOf("济南 K55"), u"UTF-8"), u"济南 K55");
  EXPECT_EQ(Inets::BytesToText({}, u"UTF-8"), u"");
  // A leading byte-order mark goes; one further in stays.
  EXPECT_EQ(Inets::BytesToText(BytesOf("\xEF\xBB\xBF"
                                       "a\xEF\xBB\xBF"),
                               u"UTF-8"),
            u"a\uFEFF");
  // Malformed sequences become U+FFFD, and decoding goes on after them.
  EXPECT_EQ(Inets::BytesToText(BytesOf("a\xFF"
                                       "b\xE6\x97"),
                               u"UTF-8"),
            u"a\uFFFDb\uFFFD");
}

TEST(BytesToText, DecodesOtherCharsetsByName) {
  EXPECT_EQ(Inets::BytesToText(BytesOf("\xBC\xC3\xC4\xCF"), u"windows-936"), u"济南");
  EXPECT_EQ(Inets::BytesToText(BytesOf("\xBC\xC3\xC4\xCF"), u"GBK"), u"济南");
  EXPECT_EQ(Inets::BytesToText(BytesOf(std::string_view("a\0b\0", 4)), u"UTF-16LE"), u"ab");
}

TEST(BytesToText, FailsOnAnUnknownCharset) {
  EXPECT_THROW(Inets::BytesToText(BytesOf("abc"), u"no-such-charset"), std::runtime_error);
  EXPECT_THROW(Inets::BytesToText(BytesOf("abc"), u"утф-8"), std::runtime_error);
}

}  // namespace
