#include "pinyin/pinyin.h"

#include <algorithm>
#include <iterator>

namespace Pinyin {

namespace {

constexpr std::int16_t kFirstLevel1 = -20319;  // 0xB0A1
constexpr std::int16_t kLastLevel1 = -10247;   // 0xD7F9

// Appends the romanisation of `code` to `out`; shared by both entry points so
// that TextToPinyin builds no temporary string per character.
void AppendPinyin(std::int16_t code, std::u16string& out) {
  if (code > 0 && code < 160) {
    if (const char16_t c = SingleByteCharacter(static_cast<std::uint8_t>(code))) out.push_back(c);
    return;
  }
  if (code < kFirstLevel1 || code > kLastLevel1) return;

  // The syllable whose run holds the code: the last start code not above it.
  // Start codes increase strictly and the first is kFirstLevel1, so one exists.
  const SyllableTable& table = PinyinTable();
  const auto& items = table.Items();
  const auto after = std::upper_bound(items.begin(), items.end(), code);
  const std::string& key = table.Keys()[static_cast<std::size_t>(after - items.begin() - 1)];
  out.append(key.begin(), key.end());
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
