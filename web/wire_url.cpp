#include "web/wire_url.h"

#include <unicode/unistr.h>

namespace Inets {

std::string ToUtf8(std::u16string_view text) {
  std::string utf8;
  icu::UnicodeString(false, text.data(), static_cast<int32_t>(text.size())).toUTF8String(utf8);
  return utf8;
}

std::string EncodeUrlForWire(std::u16string_view url) {
  const std::string utf8 = ToUtf8(url);

  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string wire;
  wire.reserve(utf8.size());
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F) {
      wire += '%';
      wire += kHex[byte >> 4];
      wire += kHex[byte & 0xF];
    } else {
      wire += c;
    }
  }
  return wire;
}

}  // namespace Inets
