#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pinyin/char_code.h"
#include "pinyin/syllable_table.h"

namespace Pinyin {

// The romanisation of one character code: codes 1 to 159 are the character
// itself, GB2312 level-1 codes (-20319 to -10247) their toneless syllable, and
// every other code nothing.
std::u16string CodeToPinyin(std::int16_t code);

// The concatenated CodeToPinyin of every code unit of `text`, with nothing in
// between: 济南 gives jinan, Beijing stays Beijing, 深圳 gives shen.
std::u16string TextToPinyin(std::u16string_view text);

}  // namespace Pinyin
