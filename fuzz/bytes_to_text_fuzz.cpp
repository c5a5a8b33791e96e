// BytesToText with any bytes and any charset name: it returns text or throws
// std::runtime_error, nothing else; UTF-8 never fails and never grows.
#include <algorithm>
#include <stdexcept>

#include "fuzz/fuzz_input.h"
#include "web/text_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // "charset\nbytes"; without a newline the bytes are decoded as UTF-8.
  const std::span<const std::uint8_t> input(data, size);
  const auto newline = std::find(input.begin(), input.end(), '\n');
  std::string charset = "UTF-8";
  std::span<const std::uint8_t> bytes = input;
  if (newline != input.end()) {
    charset.assign(input.begin(), newline);
    bytes = input.subspan(static_cast<std::size_t>(newline - input.begin()) + 1);
  }

  try {
    const std::u16string text = Web::BytesToText(bytes, charset);
    Fuzz::Require(text.size() <= 4 * bytes.size() + 4);
  } catch (const std::runtime_error&) {
    Fuzz::Require(charset != "UTF-8");
  }

  const std::u16string utf8 = Web::BytesToText(bytes, "UTF-8");
  Fuzz::Require(utf8.size() <= bytes.size());
  return 0;
}
