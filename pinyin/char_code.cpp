#include "pinyin/char_code.h"

#include "cp936_tables.inc"

namespace Pinyin {

const CharCodeTable& CharCodes() { return kCp936Codes; }

char16_t SingleByteCharacter(std::uint8_t code) { return kCp936SingleByte[code]; }

}  // namespace Pinyin
