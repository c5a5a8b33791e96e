#pragma once

#include <array>
#include <cstdint>

namespace Pinyin {

// Code page 936 (GBK) code of every UTF-16 code unit, as a signed 16-bit value:
// a single-byte character has its byte value (never negative), a double-byte
// character lead × 256 + trail read as signed (always negative), and a unit
// that code page 936 cannot represent has the code of "?" (63).
using CharCodeTable = std::array<std::int16_t, 0x10000>;

// Generated at build time from ICU's "windows-936" converter. Hot loops take
// the table once and index it directly instead of calling CharCode per unit.
const CharCodeTable& CharCodes();

inline std::int16_t CharCode(char16_t unit) { return CharCodes()[unit]; }

// Whether code page 936 writes the character of `code` with two bytes.
constexpr bool IsDoubleByte(std::int16_t code) { return code < 0; }

// The UTF-16 unit that code page 936 writes as the single byte `code`, or 0
// when that byte is not a character on its own (a lead byte, say).
char16_t SingleByteCharacter(std::uint8_t code);

}  // namespace Pinyin
