#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Fuzz {

// Raw fuzzer bytes read pairwise as UTF-16 code units, any of them: lone
// surrogates and U+0000 included.
inline std::u16string Utf16Units(const std::uint8_t* data, std::size_t size) {
  std::u16string text(size / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  return text;
}

// Stops the fuzzer with a crash report when a property does not hold.
inline void Require(bool holds) {
  if (!holds) __builtin_trap();
}

}  // namespace Fuzz
