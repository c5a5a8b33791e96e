#include "pinyin/pinyin.h"

namespace Pinyin {

namespace {

// Appends the romanisation of `code` to `out`; shared by both entry points so
// that TextToPinyin builds no temporary string per character.
void AppendPinyin(std::int16_t code, std::u16string& out) {
  if (code > 0 && code < 160) {
    if (const char16_t c = SingleByteCharacter(static_cast<std::uint8_t>(code))) out.push_back(c);
    return;
  }
  if (code >= kFirstLevel1 && code <= kLastLevel1) out += Level1Syllable(code);
}

}  // namespace

std::u16string CodeToPinyin(std::int16_t code) {
  std::u16string result;
  AppendPinyin(code, result);
  return result;
}

std::u16string TextToPinyin(std::u16string_view text) {
  const CharCodeTable& codes = CharCodes();
  std::u16string result;
  for (const char16_t unit : text) AppendPinyin(codes[unit], result);
  return result;
}

}  // namespace Pinyin
