#pragma once

#include <string>
#include <string_view>

namespace Query {

// Removes spaces at both ends: U+0020 and the ideographic space U+3000, which
// Chinese input methods type. Inner spaces stay.
std::u16string TrimSpaces(std::u16string_view text);

}  // namespace Query
