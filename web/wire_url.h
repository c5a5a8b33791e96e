#pragma once

#include <string>
#include <string_view>

namespace Web {

// The address as it goes on the wire: UTF-8, with spaces, control characters
// (CR and LF among them) and every non-ASCII byte percent-encoded. In the path
// "%", "?" and "#" are encoded too: the path after the route site's base is
// what the user typed, and a typed character is data, never URL syntax. A lone
// surrogate becomes U+FFFD first.
std::string EncodeUrlForWire(std::u16string_view url);

}  // namespace Web
