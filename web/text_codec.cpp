#include "web/text_codec.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace Web {

namespace {

constexpr const char* kNativeUtf16 =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

struct IconvCloser {
  void operator()(void* descriptor) const { iconv_close(static_cast<iconv_t>(descriptor)); }
};

// Converts `input` from one encoding to another. Where the input is malformed
// (or cut short at its end), `replacement` is written instead and `skip` input
// bytes are passed over, so conversion always reaches the end.
std::string Convert(const char* to, const std::string& from, std::string_view input,
                    std::string_view replacement, std::size_t skip) {
  const iconv_t opened = iconv_open(to, from.c_str());
  if (reinterpret_cast<std::intptr_t>(opened) == -1)
    throw std::runtime_error("unknown charset \"" + from + "\"");
  const std::unique_ptr<void, IconvCloser> descriptor(opened);

  std::string output(input.size() * 2 + 16, '\0');
  char* in = const_cast<char*>(input.data());  // iconv's signature; it does not write
  std::size_t inLeft = input.size();
  std::size_t written = 0;
  while (inLeft > 0) {
    char* out = output.data() + written;
    std::size_t outLeft = output.size() - written;
    const std::size_t result = iconv(opened, &in, &inLeft, &out, &outLeft);
    written = output.size() - outLeft;
    if (result != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      output.resize(output.size() * 2);
    } else {  // EILSEQ, or EINVAL for a sequence cut short at the end
      const int reason = errno;
      if (output.size() - written < replacement.size()) output.resize(output.size() * 2);
      output.replace(written, replacement.size(), replacement);
      written += replacement.size();
      const std::size_t passed = reason == EINVAL ? inLeft : std::min(skip, inLeft);
      in += passed;
      inLeft -= passed;
    }
  }
  output.resize(written);
  return output;
}

std::string CharsetName(std::string_view charset) {
  if (charset.empty()) throw std::runtime_error("no charset named");
  for (const char c : charset)
    if (c <= ' ' || c > '~') throw std::runtime_error("charset name is not plain ASCII");
  return std::string(charset);
}

}  // namespace

std::u16string BytesToText(std::span<const std::uint8_t> bytes, std::string_view charset) {
  constexpr char16_t kReplacement = u'\uFFFD';
  const std::string units =
      Convert(kNativeUtf16, CharsetName(charset),
              {reinterpret_cast<const char*>(bytes.data()), bytes.size()},
              {reinterpret_cast<const char*>(&kReplacement), sizeof kReplacement}, 1);
  std::u16string text(units.size() / 2, u'\0');
  std::memcpy(text.data(), units.data(), text.size() * 2);
  if (!text.empty() && text.front() == u'\uFEFF') text.erase(0, 1);
  return text;
}

std::u16string FromUtf8(std::string_view utf8) {
  return BytesToText({reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size()}, "UTF-8");
}

std::string ToUtf8(std::u16string_view text) {
  return Convert("UTF-8", kNativeUtf16,
                 {reinterpret_cast<const char*>(text.data()), text.size() * 2}, "\xEF\xBF\xBD", 2);
}

}  // namespace Web
