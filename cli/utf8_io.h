#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace Cli {

// UTF-8 in, UTF-16 inside: invalid bytes become U+FFFD and a leading
// byte-order mark is dropped.
std::u16string FromUtf8(std::string_view bytes);

// UTF-16 out as UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// Writes `text` as UTF-8 followed by one newline.
void PrintLine(std::ostream& out, std::u16string_view text);

}  // namespace Cli
