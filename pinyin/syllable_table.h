#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace Pinyin {

// A toneless pinyin syllable and the code page 936 code at which its run of
// GB2312 level-1 characters begins.
struct Syllable {
  std::string_view key;
  std::int16_t startCode;
};

// The GB2312 level-1 characters, 0xB0A1 to 0xD7F9, as code page 936 codes.
inline constexpr std::int16_t kFirstLevel1 = -20319;
inline constexpr std::int16_t kLastLevel1 = -10247;

// The 396 syllables in GB2312 order, start codes ascending; fixed at compile
// time, where their order and uniqueness are checked.
std::span<const Syllable> PinyinTable();

// The syllable of a level-1 code: that of the last start code not above it.
// One index into a table made at compile time from PinyinTable.
std::u16string_view Level1Syllable(std::int16_t level1Code);

}  // namespace Pinyin
