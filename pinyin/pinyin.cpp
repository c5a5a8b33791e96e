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

template <typename Pairs>
auto FindUnit(const Pairs& pairs, char16_t unit) -> decltype(&pairs[0]) {
  const auto found =
      std::ranges::lower_bound(pairs, unit, {}, [](const auto& p) { return p.first; });
  return found != pairs.end() && found->first == unit ? &*found : nullptr;
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
  if (const auto* reading = FindUnit(kUnihanReadings, simplified))
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
  for (const char16_t unit : text) AppendUnit(codes, unit, result);
  return result;
}

std::u16string Simplified(std::u16string_view text) {
  std::u16string result(text);
  for (char16_t& unit : result) unit = SimplifiedUnit(unit);
  return result;
}

}  // namespace Pinyin
