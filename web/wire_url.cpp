#include "web/wire_url.h"

#include <unicode/unistr.h>

namespace Inets {

std::string EncodeUrlForWire(std::u16string_view url) {
  std::string utf8;
  icu::UnicodeString(false, url.data(), static_cast<int32_t>(url.size())).toUTF8String(utf8);

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
