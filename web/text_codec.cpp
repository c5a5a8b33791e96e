#include "web/text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace Web {

namespace {

// glibc's wchar_t is UCS-4, which its iconv converts without loading a
// module of its own (UTF-16 would cost a dlopen per process); the step
// between UCS-4 and UTF-16 is done here.
constexpr const char* kUcs4 = "WCHAR_T";
static_assert(sizeof(wchar_t) == 4);
constexpr char32_t kReplacement = U'\uFFFD';

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

  std::string output(input.size() * 4 + 16, '\0');
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
  const std::string ucs4 = Convert(
      kUcs4, CharsetName(charset), {reinterpret_cast<const char*>(bytes.data()), bytes.size()},
      {reinterpret_cast<const char*>(&kReplacement), sizeof kReplacement}, 1);
  std::u16string text;
  text.reserve(ucs4.size() / 4);
  for (std::size_t i = 0; i + 4 <= ucs4.size(); i += 4) {
    char32_t c = 0;
    std::memcpy(&c, ucs4.data() + i, 4);
    if (c > 0xFFFF) {
      c -= 0x10000;
      text += static_cast<char16_t>(0xD800 + (c >> 10));
      text += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      text += static_cast<char16_t>(c);
    }
  }
  if (!text.empty() && text.front() == u'\uFEFF') text.erase(0, 1);
  return text;
}

std::u16string FromUtf8(std::string_view utf8) {
  return BytesToText({reinterpret_cast<const std::uint8_t*>(utf8.data()), utf8.size()}, "UTF-8");
}

std::string ToUtf8(std::u16string_view text) {
  std::u32string ucs4;
  ucs4.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ucs4 += static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00));
    } else {
      ucs4 += unit;  // a lone surrogate is no character: iconv refuses it, and it is replaced
    }
  }
  return Convert("UTF-8", kUcs4, {reinterpret_cast<const char*>(ucs4.data()), ucs4.size() * 4},
                 "\xEF\xBF\xBD", 4);
}

}  // namespace Web
