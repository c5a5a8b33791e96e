#include "lines/display_form.h"

#include <gtest/gtest.h>

#include "lines/utf8.h"
#include "pinyin/char_code.h"
#include "web/text_codec.h"

namespace {

bool DoubleByte(char16_t unit) { return Pinyin::IsDoubleByte(Pinyin::CharCode(unit)); }

std::u16string Shown(std::u16string_view text) {
  return Web::FromUtf8(Lines::DisplayForm(Web::ToUtf8(text)));
}

// Every character of the BMP, against code page 936 itself: ASCII becomes one
// double-byte character; a double-byte character stays; any other either
// stays or, being a Latin letter with marks, becomes a full-width letter.
TEST(DisplayForm, LeavesNothingThatCodePage936WritesWithOneByte) {
  std::size_t replaced = 0;
  for (char32_t c = 0; c < 0x10000; ++c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c == 0xFEFF) continue;  // FEFF: dropped as a BOM
    const auto unit = static_cast<char16_t>(c);
    const std::u16string shown = Shown(std::u16string(1, unit));
    ASSERT_EQ(shown.size(), 1u) << std::hex << static_cast<unsigned>(c);
    if (c < 0x80) {
      EXPECT_TRUE(DoubleByte(shown[0])) << std::hex << static_cast<unsigned>(c);
    } else if (c == 0x2014) {  // of which the stop list's separator is made
      EXPECT_EQ(shown, u"－");
    } else if (DoubleByte(unit) || shown[0] == unit) {
      EXPECT_EQ(shown[0], unit) << std::hex << static_cast<unsigned>(c);
    } else {
      EXPECT_TRUE((shown[0] >= u'Ａ' && shown[0] <= u'Ｚ') ||
                  (shown[0] >= u'ａ' && shown[0] <= u'ｚ'))
          << std::hex << static_cast<unsigned>(c);
      ++replaced;
    }
  }
  EXPECT_GT(replaced, 300u);  // Latin-1, Extended-A and B, Vietnamese
}

TEST(DisplayForm, WritesAsciiFullWidthAndLettersWithMarksAsTheirBase) {
  EXPECT_EQ(Shown(u"K55 路!~"), u"Ｋ５５　路！～");
  EXPECT_EQ(Shown(u"ÉôéèāǹŸế"), u"Ｅｏéèāｎ\uff39ｅ");
  EXPECT_EQ(Shown(u"äÄžŽ"), u"ａＡｚＺ");  // the first and last letters of both cases
  EXPECT_EQ(Shown(u"Straße Łódź 🚌"), u"Ｓｔｒａßｅ　Łóｄｚ　🚌");  // ß, Ł, 🚌: as they are
  EXPECT_EQ(Shown(u"\t\x7f"), u"　　");
  EXPECT_EQ(Lines::DisplayForm("a\x80\xff\xe4\xb8"), "ａ\x80\xff\xe4\xb8");  // bytes, no character
}

// The least and the most of each length decode; shorter forms of them, the
// surrogates and what lies past Unicode do not.
TEST(DecodeUtf8, TakesWellFormedSequencesOnly) {
  using Decoded = std::pair<std::size_t, char32_t>;
  EXPECT_EQ(Lines::DecodeUtf8("\xC2\x80"), (Decoded{2, 0x80}));
  EXPECT_EQ(Lines::DecodeUtf8("\xDF\xBF"), (Decoded{2, 0x7FF}));
  EXPECT_EQ(Lines::DecodeUtf8("\xE0\xA0\x80"), (Decoded{3, 0x800}));
  EXPECT_EQ(Lines::DecodeUtf8("\xF0\x90\x80\x80"), (Decoded{4, 0x10000}));
  EXPECT_EQ(Lines::DecodeUtf8("\xF4\x8F\xBF\xBF"), (Decoded{4, 0x10FFFF}));
  for (const char* malformed : {"\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80",
                                "\xF4\x90\x80\x80", "\xE4\xB8", "\x80", ""})
    EXPECT_EQ(Lines::DecodeUtf8(malformed).first, 0u) << malformed;
}

}  // namespace
