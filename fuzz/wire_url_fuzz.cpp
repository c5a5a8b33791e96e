// The address as it reaches the request line: nothing in it can break the
// line or the headers (no CR, LF, space, control or non-ASCII byte), the path
// holds no raw "?" or "#", and percent-decoding gives back the address's own
// UTF-8.
#include "fuzz/fuzz_input.h"
#include "web/text_codec.h"
#include "web/wire_url.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string url = Fuzz::Utf16Units(data, size);
  const std::string wire = Web::EncodeUrlForWire(url);
  const auto scheme = wire.find("://");
  const auto path =
      scheme == std::string::npos ? 0 : std::min(wire.find('/', scheme + 3), wire.size());

  std::string decoded;
  for (std::size_t i = 0; i < wire.size(); ++i) {
    const auto byte = static_cast<unsigned char>(wire[i]);
    Fuzz::Require(byte > 0x20 && byte < 0x7F);
    if (i >= path) Fuzz::Require(byte != '?' && byte != '#');
    if (wire[i] == '%' && i + 2 < wire.size() && HexValue(wire[i + 1]) >= 0 &&
        HexValue(wire[i + 2]) >= 0) {
      decoded += static_cast<char>(HexValue(wire[i + 1]) * 16 + HexValue(wire[i + 2]));
      i += 2;
    } else {
      decoded += wire[i];
    }
  }
  // A "%" typed before the path stays as typed, so only such addresses
  // without one decode back exactly.
  if (wire.substr(0, path).find('%') == std::string::npos)
    Fuzz::Require(decoded == Web::ToUtf8(url));
  return 0;
}
