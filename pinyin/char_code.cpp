#include "pinyin/char_code.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace Pinyin {

namespace {

constexpr std::int16_t kQuestionMark = 63;

struct Cp936 {
  CharCodeTable codes;
  std::array<char16_t, 256> singleByte{};
};

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};

void Check(UErrorCode status, const char* what) {
  if (U_FAILURE(status)) throw std::runtime_error(std::string(what) + ": " + u_errorName(status));
}

// Converts the whole BMP, less the surrogates, in one call and attributes each
// output byte to its source unit through the converter's offsets. Units that
// produce no bytes (unmappable ones, and the default-ignorable code points the
// converter silently drops) keep the code of "?".
Cp936 Build() {
  Cp936 table;
  table.codes.fill(kQuestionMark);

  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open("windows-936", &status));
  Check(status, "opening the code page 936 converter");
  ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_SKIP, nullptr, nullptr, nullptr,
                        &status);
  Check(status, "setting the code page 936 callback");

  std::vector<char16_t> units;
  for (char32_t u = 0; u < 0x10000; ++u)
    if (u < 0xD800 || u > 0xDFFF) units.push_back(static_cast<char16_t>(u));

  std::vector<char> bytes(units.size() * 2);
  std::vector<int32_t> offsets(bytes.size());
  char* target = bytes.data();
  const UChar* source = units.data();
  ucnv_fromUnicode(converter.get(), &target, bytes.data() + bytes.size(), &source,
                   units.data() + units.size(), offsets.data(), true, &status);
  Check(status, "converting to code page 936");

  const auto produced = static_cast<std::size_t>(target - bytes.data());
  for (std::size_t i = 0; i < produced;) {
    const int32_t from = offsets[i];
    std::size_t length = 1;
    while (i + length < produced && offsets[i + length] == from) ++length;
    const char16_t unit = units[static_cast<std::size_t>(from)];
    const auto lead = static_cast<std::uint8_t>(bytes[i]);
    if (length == 1) {
      table.codes[unit] = lead;
      if (table.singleByte[lead] == 0) table.singleByte[lead] = unit;
    } else if (length == 2) {
      const auto trail = static_cast<std::uint8_t>(bytes[i + 1]);
      table.codes[unit] = static_cast<std::int16_t>((lead << 8 | trail) - 0x10000);
    }
    i += length;
  }
  return table;
}

const Cp936& Table() {
  static const Cp936 table = Build();
  return table;
}

}  // namespace

const CharCodeTable& CharCodes() { return Table().codes; }

char16_t SingleByteCharacter(std::uint8_t code) { return Table().singleByte[code]; }

}  // namespace Pinyin
