#include "pinyin/pinyin.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <vector>

namespace Pinyin {

namespace {

constexpr std::int16_t kFirstLevel1 = -20319;  // 0xB0A1
constexpr std::int16_t kLastLevel1 = -10247;   // 0xD7F9

// For every level-1 code, the syllable of its run: the last start code in
// PinyinTable not above it. Derived once from the table, so that a lookup per
// character costs one index instead of a search.
class RunIndex {
 public:
  RunIndex() {
    const std::span<const Syllable> table = PinyinTable();
    for (const Syllable& syllable : table)
      syllables_.emplace_back(syllable.key.begin(), syllable.key.end());
    std::size_t entry = 0;
    for (int code = kFirstLevel1; code <= kLastLevel1; ++code) {
      while (entry + 1 < table.size() && table[entry + 1].startCode <= code) ++entry;
      entryOf_[static_cast<std::size_t>(code - kFirstLevel1)] = static_cast<std::uint16_t>(entry);
    }
  }

  const std::u16string& SyllableOf(std::int16_t level1Code) const {
    return syllables_[entryOf_[static_cast<std::size_t>(level1Code - kFirstLevel1)]];
  }

 private:
  std::vector<std::u16string> syllables_;
  std::array<std::uint16_t, kLastLevel1 - kFirstLevel1 + 1> entryOf_{};
};

const RunIndex& Runs() {
  static const RunIndex runs;
  return runs;
}

// Appends the romanisation of `code` to `out`; shared by both entry points so
// that TextToPinyin builds no temporary string per character.
void AppendPinyin(std::int16_t code, const RunIndex& runs, std::u16string& out) {
  if (code > 0 && code < 160) {
    if (const char16_t c = SingleByteCharacter(static_cast<std::uint8_t>(code))) out.push_back(c);
    return;
  }
  if (code >= kFirstLevel1 && code <= kLastLevel1) out += runs.SyllableOf(code);
}

}  // namespace

void BuildPinyinTable() { Runs(); }

std::u16string CodeToPinyin(std::int16_t code) {
  std::u16string result;
  AppendPinyin(code, Runs(), result);
  return result;
}

std::u16string TextToPinyin(std::u16string_view text) {
  const CharCodeTable& codes = CharCodes();
  const RunIndex& runs = Runs();
  std::u16string result;
  for (const char16_t unit : text) AppendPinyin(codes[unit], runs, result);
  return result;
}

}  // namespace Pinyin
