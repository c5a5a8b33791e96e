#include "pinyin/pinyin.h"

#include <algorithm>

#include "unihan_readings.inc"

namespace Pinyin {

namespace {

// GB2312's rows hold trail bytes 0xA1 to 0xFE: a code in the level-1 range
// with a lower trail byte is a GBK extension character (臺 is C5 5F).
bool IsLevel1(std::int16_t code) {
  return code >= kFirstLevel1 && code <= kLastLevel1 && (code & 0xFF) >= 0xA1;
}

template <typename Pairs, typename Key>
auto FindUnit(const Pairs& pairs, Key key) -> decltype(&pairs[0]) {
  const auto found =
      std::ranges::lower_bound(pairs, key, {}, [](const auto& p) { return p.first; });
  return found != pairs.end() && found->first == key ? &*found : nullptr;
}

char16_t SimplifiedUnit(char16_t unit) {
  const auto* form = FindUnit(kSimplifiedForms, unit);
  return form != nullptr ? form->second : unit;
}

// Appends the romanisation of `code` to `out`; shared by both entry points so
// that TextToPinyin builds no temporary string per character.
bool AppendCode(std::int16_t code, std::u16string& out) {
  if (code > 0 && code < 160) {
    if (const char16_t c = SingleByteCharacter(static_cast<std::uint8_t>(code))) out.push_back(c);
    return true;
  }
  if (!IsLevel1(code)) return false;
  out += Level1Syllable(code);
  return true;
}

void AppendUnit(const CharCodeTable& codes, char16_t unit, std::u16string& out) {
  if (AppendCode(codes[unit], out)) return;
  const char16_t simplified = SimplifiedUnit(unit);
  if (simplified != unit && AppendCode(codes[simplified], out)) return;
  if (const auto* reading = FindUnit(kUnihanReadings, char32_t{simplified}))
    out += kUnihanSyllables[reading->second];
}

}  // namespace

std::u16string CodeToPinyin(std::int16_t code) {
  std::u16string result;
  AppendCode(code, result);
  return result;
}

std::u16string TextToPinyin(std::u16string_view text) {
  const CharCodeTable& codes = CharCodes();
  std::u16string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0xD800 || unit > 0xDFFF) {
      AppendUnit(codes, unit, result);
    } else if (unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
               text[i + 1] <= 0xDFFF) {
      // A character beyond the BMP: Unihan's reading by its code point.
      const char32_t c = 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[++i] - 0xDC00);
      if (const auto* reading = FindUnit(kUnihanReadings, c))
        result += kUnihanSyllables[reading->second];
    }  // a lone surrogate is no character
  }
  return result;
}

std::u16string Simplified(std::u16string_view text) {
  std::u16string result(text);
  for (char16_t& unit : result) unit = SimplifiedUnit(unit);
  return result;
}

}  // namespace Pinyin
