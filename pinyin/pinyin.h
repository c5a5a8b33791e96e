#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pinyin/char_code.h"
#include "pinyin/syllable_table.h"

namespace Pinyin {

// The romanisation of one character code: codes 1 to 159 are the character
// itself, GB2312 level-1 codes (-20319 to -10247, trail byte 0xA1 or above)
// their toneless syllable, and every other code nothing.
std::u16string CodeToPinyin(std::int16_t code);

// The concatenated romanisation of every character of `text`, with nothing in
// between: CodeToPinyin of its code, and for a character beyond GB2312 level
// 1, the reading of its simplified form if it is a traditional character,
// else its own (Unicode's Unihan kMandarin), beyond the BMP too: 济南 gives
// jinan, 深圳 shenzhen, 臺北 taibei, Beijing stays Beijing.
std::u16string TextToPinyin(std::u16string_view text);

// `text` with each traditional character as its simplified form.
std::u16string Simplified(std::u16string_view text);

}  // namespace Pinyin
