// BytesToText with any bytes and any charset name: it returns text or throws
// std::runtime_error, nothing else; UTF-8 never fails and never grows.
#include <algorithm>
#include <stdexcept>

#include "fuzz/fuzz_input.h"
#include "web/inets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // "charset\nbytes"; without a newline the bytes are decoded as UTF-8.
  const Inets::Bytes input(data, data + size);
  const auto newline = std::find(input.begin(), input.end(), '\n');
  std::u16string charset = u"UTF-8";
  Inets::Bytes bytes = input;
  if (newline != input.end()) {
    charset.assign(input.begin(), newline);
    bytes.assign(newline + 1, input.end());
  }

  try {
    const std::u16string text = Inets::BytesToText(bytes, charset);
    Fuzz::Require(text.size() <= 4 * bytes.size() + 4);
  } catch (const std::runtime_error&) {
    Fuzz::Require(charset != u"UTF-8");
  }

  const std::u16string utf8 = Inets::BytesToText(bytes, u"UTF-8");
  Fuzz::Require(utf8.size() <= bytes.size());
  return 0;
}
