#pragma once

#include <string>
#include <string_view>

namespace Inets {

// UTF-8 of a UTF-16 text; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// The address as it goes on the wire: UTF-8, with spaces, control characters
// (CR and LF among them) and every non-ASCII byte percent-encoded; other ASCII
// stays as typed. A lone surrogate becomes U+FFFD first.
std::string EncodeUrlForWire(std::u16string_view url);

}  // namespace Inets
