#include "web/decoding_stream.h"

#include <unicode/ucnv.h>

#include <cstring>
#include <memory>

namespace Inets {

namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};

std::runtime_error DecodingError(const std::string& what, UErrorCode status) {
  return std::runtime_error(what + " (" + u_errorName(status) + ")");
}

}  // namespace

void DecodingStream::Write(std::span<const std::uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void DecodingStream::SetCharset(std::u16string_view name) {
  charset_.clear();
  for (const char16_t c : name) {
    if (c == 0 || c > 0x7F) throw std::runtime_error("charset name is not plain ASCII");
    charset_ += static_cast<char>(c);
  }
}

std::u16string DecodingStream::ReadText() const {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open(charset_.c_str(), &status));
  if (U_FAILURE(status)) throw DecodingError("unknown charset \"" + charset_ + "\"", status);

  std::u16string text(bytes_.size() + 16, u'\0');
  const char* source = reinterpret_cast<const char*>(bytes_.data());
  const char* const sourceEnd = source + bytes_.size();
  char16_t* target = text.data();
  for (;;) {
    status = U_ZERO_ERROR;
    ucnv_toUnicode(converter.get(), &target, text.data() + text.size(), &source, sourceEnd,
                   nullptr, true, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR) break;
    const auto used = target - text.data();
    text.resize(text.size() * 2);
    target = text.data() + used;
  }
  if (U_FAILURE(status)) throw DecodingError("could not decode as " + charset_, status);
  text.resize(static_cast<std::size_t>(target - text.data()));

  const bool utf8 = std::strcmp(ucnv_getName(converter.get(), &status), "UTF-8") == 0;
  if (utf8 && !text.empty() && text.front() == u'\uFEFF') text.erase(0, 1);
  return text;
}

}  // namespace Inets
