#include "web/wire_url.h"

#include "web/text_codec.h"

namespace Web {

namespace {

bool NeedsEncoding(unsigned char byte, bool inPath) {
  if (byte <= 0x20 || byte >= 0x7F) return true;
  return inPath && (byte == '%' || byte == '?' || byte == '#');
}

// Where the path begins: the first "/" after "scheme://authority".
std::size_t PathStart(std::string_view url) {
  const auto scheme = url.find("://");
  if (scheme == std::string_view::npos) return 0;
  return std::min(url.find('/', scheme + 3), url.size());
}

}  // namespace

std::string EncodeUrlForWire(std::u16string_view url) {
  const std::string utf8 = ToUtf8(url);
  const std::size_t pathStart = PathStart(utf8);

  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string wire;
  wire.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (NeedsEncoding(byte, i >= pathStart)) {
      wire += '%';
      wire += kHex[byte >> 4];
      wire += kHex[byte & 0xF];
    } else {
      wire += utf8[i];
    }
  }
  return wire;
}

}  // namespace Web
