#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Inets {

// A byte stream read back as text in a named character set, over ICU.
// Write the bytes, name the charset, read the text. ReadText throws
// std::runtime_error for a charset ICU does not know. "UTF-8" turns malformed
// sequences into U+FFFD and drops a leading byte-order mark.
class DecodingStream {
 public:
  void Write(std::span<const std::uint8_t> bytes);
  void SetCharset(std::u16string_view name);
  std::u16string ReadText() const;

 private:
  std::vector<std::uint8_t> bytes_;
  std::string charset_;
};

}  // namespace Inets
