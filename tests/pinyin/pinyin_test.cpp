#include "pinyin/pinyin.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "pinyin/place_names.h"

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
// it: compare with a plain backward scan over every level-1 code, and, as
// text, over every character code page 936 writes there. A code whose trail
// byte is below 0xA1 is no GB2312 character (臺 is C5 5F): it has none.
TEST(CodeToPinyin, AgreesWithABackwardScanOnEveryLevel1Code) {
  const auto table = Pinyin::PinyinTable();
  ASSERT_EQ(table.size(), 396u);
  std::map<std::int16_t, char16_t> characters;
  for (char32_t unit = 0x4E00; unit <= 0x9FFF; ++unit)
    characters[CharCode(static_cast<char16_t>(unit))] = static_cast<char16_t>(unit);
  std::size_t checked = 0;
  for (int code = -20319; code <= -10247; ++code) {
    std::size_t i = table.size() - 1;
    while (table[i].startCode > code) --i;
    const std::string_view key = table[i].key;
    const std::u16string syllable =
        (code & 0xFF) >= 0xA1 ? std::u16string(key.begin(), key.end()) : u"";
    ASSERT_EQ(CodeToPinyin(static_cast<std::int16_t>(code)), syllable) << code;
    if (const auto c = characters.find(static_cast<std::int16_t>(code));
        c != characters.end() && !syllable.empty()) {
      ASSERT_EQ(TextToPinyin(std::u16string(1, c->second)), syllable) << code;
      // In a place name too: 著 is not read as its variant 着.
      ASSERT_EQ(Pinyin::PlaceToPinyin(std::u16string(1, c->second)), syllable) << code;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 3755u);  // every level-1 character
}

TEST(TextToPinyin, RomanisesCityNames) {
  EXPECT_EQ(TextToPinyin(u"济南"), u"jinan");
  EXPECT_EQ(TextToPinyin(u"北京"), u"beijing");
  EXPECT_EQ(TextToPinyin(u"石家庄"), u"shijiazhuang");
  EXPECT_EQ(TextToPinyin(u"哈尔滨"), u"haerbin");
  EXPECT_EQ(TextToPinyin(u"重庆"), u"zhongqing");  // by GB2312 place, not by context
  EXPECT_EQ(TextToPinyin(u"西安"), u"xian");
  // Beyond level 1: Unihan's reading; a traditional character its simplified form's.
  EXPECT_EQ(TextToPinyin(u"深圳"), u"shenzhen");
  EXPECT_EQ(TextToPinyin(u"臺北"), u"taibei");
  EXPECT_EQ(TextToPinyin(u"綠島"), u"lvdao");  // ü as v
}

// Real place names against their spellings: level-2 and traditional
// characters, names that read otherwise than their characters, suffixes.
TEST(PlaceToPinyin, SpellsPlacesAsTheyAreSpelled) {
  const std::pair<std::u16string_view, std::u16string_view> places[] = {
      {u"深圳", u"shenzhen"},
      {u"东莞", u"dongguan"},
      {u"漯河", u"luohe"},
      {u"濮阳", u"puyang"},
      {u"番禺", u"panyu"},
      {u"泸州", u"luzhou"},
      {u"亳州", u"bozhou"},
      {u"儋州", u"danzhou"},
      {u"衢州", u"quzhou"},
      {u"臺北", u"taibei"},
      {u"台北", u"taibei"},
      {u"嘉義", u"jiayi"},
      {u"花蓮", u"hualian"},
      {u"宜蘭", u"yilan"},
      {u"澳門", u"aomen"},
      {u"香港特别行政区", u"xianggang"},
      {u"重庆", u"chongqing"},
      {u"重慶市", u"chongqing"},
      {u"蚌埠", u"bengbu"},
      {u"六安", u"luan"},
      {u"乐亭", u"laoting"},
      {u"蔚县", u"yuxian"},
      {u"洪洞县", u"hongtong"},
      {u"浚县", u"xunxian"},
      {u"荥阳", u"xingyang"},
      {u"涡阳", u"guoyang"},
      {u"枞阳县", u"zongyang"},
      {u"铅山", u"yanshan"},
      {u"单县", u"shanxian"},
      {u"莘县", u"shenxian"},
      {u"东阿", u"donge"},
      {u"黄陂区", u"huangpi"},
      {u"六合", u"luhe"},
      {u"济南市", u"jinan"},
      {u"山东省", u"shandong"},
      {u"苏州", u"suzhou"},
      {u"恩施州", u"enshizhou"},
      {u"市", u"shi"},
      {u"尉氏县", u"weishi"},
      {u"尉犁", u"yuli"},
      {u"吴堡县", u"wubu"},
      {u"称多", u"chenduo"},
      {u"琿春", u"hunchun"},
      {u"蚌山区", u"bengshan"},
      {u"新县", u"xinxian"},
      {u"阿拉善盟", u"alashan"},
      {u"峨边彝族自治县", u"ebianyizuzizhixian"},
      {u"灣仔", u"wanzai"},
      {u"深水埗", u"shenshuibu"},
      {u"Beijing", u"Beijing"}};
  for (const auto& [name, spelling] : places)
    EXPECT_EQ(Pinyin::PlaceToPinyin(name), spelling) << std::string(name.begin(), name.end());
}

TEST(TextToPinyin, CopiesAsciiAndDropsWhatItCannotRomanise) {
  EXPECT_EQ(TextToPinyin(u""), u"");
  EXPECT_EQ(TextToPinyin(u"abc"), u"abc");
  EXPECT_EQ(TextToPinyin(u"Beijing "), u"Beijing ");
  EXPECT_EQ(TextToPinyin(u"济，南\u3000"), u"jinan");
  EXPECT_EQ(TextToPinyin(u"济南\u00AD"), u"jinan?");
  // Beyond the BMP by code point, as Unihan reads it; a lone surrogate is no
  // character.
  EXPECT_EQ(TextToPinyin(u"\U00020000\U0002A6A5"), u"hezhe");
  EXPECT_EQ(TextToPinyin(std::u16string(u"济\xD840南\xDC00")), u"jinan");
  EXPECT_EQ(Pinyin::PlaceToPinyin(u"\U00020000村市"), u"hecun");
}

}  // namespace
