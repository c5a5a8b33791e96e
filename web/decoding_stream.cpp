#include "web/decoding_stream.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <memory>

namespace Inets {

namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};

std::runtime_error DecodingError(const std::string& what, UErrorCode status) {
  return std::runtime_error(what + " (" + u_errorName(status) + ")");
}

bool IsUtf8Name(std::string_view name) {
  std::string folded;
  for (const char c : name)
    if (c != '-' && c != '_') folded += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return folded == "utf8";
}

// UTF-8 through ICU's string functions, which need no converter data: the
// common case, and the one a short-lived command-line query pays for.
std::u16string DecodeUtf8(const std::vector<std::uint8_t>& bytes) {
  const char* source = reinterpret_cast<const char*>(bytes.data());
  const auto length = static_cast<int32_t>(bytes.size());
  std::u16string text(bytes.size(), u'\0');
  int32_t written = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(text.data(), static_cast<int32_t>(text.size()), &written, source, length,
                       0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) throw DecodingError("could not decode as UTF-8", status);
  text.resize(static_cast<std::size_t>(written));
  if (!text.empty() && text.front() == u'\uFEFF') text.erase(0, 1);
  return text;
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
  if (IsUtf8Name(charset_)) return DecodeUtf8(bytes_);

  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open(charset_.c_str(), &status));
  if (U_FAILURE(status)) throw DecodingError("unknown charset \"" + charset_ + "\"", status);

  std::u16string text(bytes_.size() + 16, u'\0');
  const char* source = reinterpret_cast<const char*>(bytes_.data());
  const char* const sourceEnd = source + bytes_.size();
  char16_t* target = text.data();
  for (;;) {
    status = U_ZERO_ERROR;
    ucnv_toUnicode(converter.get(), &target, text.data() + text.size(), &source, sourceEnd, nullptr,
                   true, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR) break;
    const auto used = target - text.data();
    text.resize(text.size() * 2);
    target = text.data() + used;
  }
  if (U_FAILURE(status)) throw DecodingError("could not decode as " + charset_, status);
  text.resize(static_cast<std::size_t>(target - text.data()));
  return text;
}

}  // namespace Inets
