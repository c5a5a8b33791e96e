#include "pinyin/pinyin.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Pinyin::CharCode;
using Pinyin::CodeToPinyin;
using Pinyin::TextToPinyin;

std::int16_t Signed(unsigned lead, unsigned trail) {
  return static_cast<std::int16_t>((lead << 8 | trail) - 0x10000);
}

// The generated table: one- and two-byte codes, and "?" for what code page
// 936 cannot write, the default-ignorables its converter drops silently too.
TEST(CharCode, FollowsCodePage936AndIsQuestionMarkElsewhere) {
  EXPECT_EQ(CharCode(u'A'), 65);
  EXPECT_EQ(CharCode(u'\u20AC'), 0x80);  // € is a single byte
  EXPECT_EQ(CharCode(u'啊'), -20319);    // first GB2312 level-1 character
  EXPECT_EQ(CharCode(u'\u2014'), Signed(0xA1, 0xAA));
  EXPECT_EQ(CharCode(u'\uFF0C'), Signed(0xA3, 0xAC));
  for (const char16_t unit :
       {char16_t{0xD800}, char16_t{0xDFFF}, u'\uAC00', u'\u00AD', u'\u200B', u'\uFEFF'})
    EXPECT_EQ(CharCode(unit), 63) << std::hex << unsigned(unit);
}

TEST(CodeToPinyin, BoundariesOfTheRanges) {
  EXPECT_EQ(CodeToPinyin(-20319), u"a");
  EXPECT_EQ(CodeToPinyin(-20320), u"");
  EXPECT_EQ(CodeToPinyin(-10254), u"zuo");
  EXPECT_EQ(CodeToPinyin(-10247), u"zuo");
  EXPECT_EQ(CodeToPinyin(-10246), u"");
  EXPECT_EQ(CodeToPinyin(0), u"");
  EXPECT_EQ(CodeToPinyin(1), u"\u0001");
  EXPECT_EQ(CodeToPinyin(97), u"a");
  EXPECT_EQ(CodeToPinyin(128), u"\u20AC");
  EXPECT_EQ(CodeToPinyin(159), u"");  // a lead byte, no character on its own
  EXPECT_EQ(CodeToPinyin(160), u"");
  EXPECT_EQ(CodeToPinyin(32767), u"");
  EXPECT_EQ(CodeToPinyin(-32768), u"");
}

// The syllable of a code is the entry with the greatest start code not above
// it: compare with a plain backward scan over every level-1 code.
TEST(CodeToPinyin, AgreesWithABackwardScanOnEveryLevel1Code) {
  const auto table = Pinyin::PinyinTable();
  ASSERT_EQ(table.size(), 396u);
  for (int code = -20319; code <= -10247; ++code) {
    std::size_t i = table.size() - 1;
    while (table[i].startCode > code) --i;
    const std::string_view key = table[i].key;
    ASSERT_EQ(CodeToPinyin(static_cast<std::int16_t>(code)), std::u16string(key.begin(), key.end()))
        << code;
  }
}

TEST(TextToPinyin, RomanisesCityNames) {
  EXPECT_EQ(TextToPinyin(u"济南"), u"jinan");
  EXPECT_EQ(TextToPinyin(u"北京"), u"beijing");
  EXPECT_EQ(TextToPinyin(u"石家庄"), u"shijiazhuang");
  EXPECT_EQ(TextToPinyin(u"哈尔滨"), u"haerbin");
  EXPECT_EQ(TextToPinyin(u"重庆"), u"zhongqing");  // by GB2312 place, not by context
  EXPECT_EQ(TextToPinyin(u"西安"), u"xian");
  EXPECT_EQ(TextToPinyin(u"深圳"), u"shen");  // 圳 is level 2
}

TEST(TextToPinyin, CopiesAsciiAndDropsWhatItCannotRomanise) {
  EXPECT_EQ(TextToPinyin(u""), u"");
  EXPECT_EQ(TextToPinyin(u"abc"), u"abc");
  EXPECT_EQ(TextToPinyin(u"Beijing "), u"Beijing ");
  EXPECT_EQ(TextToPinyin(u"济，南\u3000"), u"jinan");
  EXPECT_EQ(TextToPinyin(u"济南\u00AD"), u"jinan?");
  EXPECT_EQ(TextToPinyin(u"\U00020000"), u"??");
}

}  // namespace
