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

// The 396 syllables in GB2312 order, start codes ascending; fixed at compile
// time, where their order and uniqueness are checked.
std::span<const Syllable> PinyinTable();

}  // namespace Pinyin
