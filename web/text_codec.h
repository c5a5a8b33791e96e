#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace Web {

// Decodes `bytes` in the character set `charset` (any name glibc's iconv
// knows) through iconv. Malformed input becomes U+FFFD and decoding goes on; a
// leading byte-order mark is dropped. Throws std::runtime_error for a charset
// name iconv does not know.
std::u16string BytesToText(std::span<const std::uint8_t> bytes, std::string_view charset);

// UTF-8 in, UTF-16 inside: BytesToText in "UTF-8".
std::u16string FromUtf8(std::string_view utf8);

// UTF-16 out as UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

}  // namespace Web
