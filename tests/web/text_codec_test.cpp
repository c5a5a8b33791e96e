#include "web/text_codec.h"

#include <gtest/gtest.h>

namespace {

std::u16string Decode(std::string_view bytes, std::string_view charset = "UTF-8") {
  return Web::BytesToText({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()},
                          charset);
}

TEST(BytesToText, DecodesUtf8AndRepairsWhatIsMalformed) {
  EXPECT_EQ(Decode("济南 K55"), u"济南 K55");
  EXPECT_EQ(Decode(""), u"");
  // A leading byte-order mark goes; one further in stays.
  EXPECT_EQ(Decode("\xEF\xBB\xBF"
                   "a\xEF\xBB\xBF"),
            u"a\uFEFF");
  // Each malformed byte becomes U+FFFD and decoding goes on, to a cut-off end.
  EXPECT_EQ(Decode("a\xFF"
                   "b\xE6\x97"),
            u"a\uFFFDb\uFFFD");
  EXPECT_EQ(Decode("\xC0\xAF"
                   "c"),
            u"\uFFFD\uFFFDc");  // an overlong "/" is no "/"
  // Large input: the output buffer grows as needed.
  const std::string many(100'000, 'x');
  EXPECT_EQ(Decode(many + "站").size(), 100'001u);
}

TEST(BytesToText, DecodesOtherCharsetsByNameAndRefusesUnknownOnes) {
  EXPECT_EQ(Decode("\xBC\xC3\xC4\xCF", "GBK"), u"济南");
  EXPECT_EQ(Decode(std::string_view("\xFF\xFE"
                                    "a\0b\0",
                                    6),
                   "UTF-16"),
            u"ab");
  EXPECT_THROW(Decode("abc", "no-such-charset"), std::runtime_error);
  EXPECT_THROW(Decode("abc", ""), std::runtime_error);
  EXPECT_THROW(Decode("abc", "UTF 8"), std::runtime_error);
}

TEST(ToUtf8, EncodesEveryUnitAndReplacesLoneSurrogates) {
  EXPECT_EQ(Web::ToUtf8(u"济南 K55"), "济南 K55");
  EXPECT_EQ(Web::ToUtf8(u"\U00020000"), "\xF0\xA0\x80\x80");
  EXPECT_EQ(Web::ToUtf8(u"\U0010FFFF\U00010000"),
            "\xF4\x8F\xBF\xBF\xF0\x90\x80\x80");  // the pair's ends
  EXPECT_EQ(Web::ToUtf8(u"a" + std::u16string(1, char16_t{0xDC00}) + u"b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(Web::ToUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
  // The surrogate range's ends, and the characters just outside it.
  EXPECT_EQ(Web::ToUtf8(std::u16string{char16_t{0xD7FF}, char16_t{0xDFFF}, char16_t{0xDBFF},
                                       char16_t{0xE000}}),
            "\xED\x9F\xBF\xEF\xBF\xBD\xEF\xBF\xBD\xEE\x80\x80");
  EXPECT_EQ(Web::FromUtf8(Web::ToUtf8(u"旅游1 区间")), u"旅游1 区间");
}

}  // namespace
