// The address as it reaches the request line: nothing in it can break the
// line or the headers (no CR, LF, space, control or non-ASCII byte), and
// percent-decoding gives back the address's own UTF-8.
#include <unicode/unistr.h>

#include "fuzz/fuzz_input.h"
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
  const std::string wire = Inets::EncodeUrlForWire(url);

  std::string decoded;
  for (std::size_t i = 0; i < wire.size(); ++i) {
    const auto byte = static_cast<unsigned char>(wire[i]);
    Fuzz::Require(byte > 0x20 && byte < 0x7F);
    if (wire[i] == '%' && i + 2 < wire.size() && HexValue(wire[i + 1]) >= 0 &&
        HexValue(wire[i + 2]) >= 0) {
      decoded += static_cast<char>(HexValue(wire[i + 1]) * 16 + HexValue(wire[i + 2]));
      i += 2;
    } else {
      decoded += wire[i];
    }
  }
  std::string utf8;
  icu::UnicodeString(false, url.data(), static_cast<int32_t>(url.size())).toUTF8String(utf8);
  // A "%" typed in the address stays as typed, so only addresses without one
  // decode back exactly.
  if (url.find(u'%') == std::u16string::npos) Fuzz::Require(decoded == utf8);
  return 0;
}
