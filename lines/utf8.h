#pragma once

#include <cstddef>
#include <string_view>
#include <utility>

namespace Lines {

// The well-formed UTF-8 sequence at the start of `text`: its length in bytes
// and its character; length 0 when the first byte starts none.
std::pair<std::size_t, char32_t> DecodeUtf8(std::string_view text);

}  // namespace Lines
