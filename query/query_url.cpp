#include "query/query_url.h"

#include <locale.h>
#include <wctype.h>

#include "pinyin/pinyin.h"
#include "query/text_trim.h"

namespace Query {

namespace {

// Simple per-character upper-casing through the C library's Unicode tables:
// k55 becomes K55, ｋ full-width too; digits and Chinese stay.
std::u16string UpperCase(std::u16string text) {
  static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  for (char16_t& unit : text) {
    if (unicode == nullptr) {  // a C library without C.UTF-8: ASCII only
      if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - u'a' + u'A');
    } else if (unit < 0xD800 || unit > 0xDFFF) {
      const wint_t upper = towupper_l(unit, unicode);
      if (upper <= 0xFFFF) unit = static_cast<char16_t>(upper);
    }
  }
  return text;
}

}  // namespace

std::u16string LinePath(VehicleKind kind, std::u16string_view cityPinyin,
                        std::u16string_view lineText) {
  const std::u16string line =
      UpperCase(kind == VehicleKind::Bus ? TrimSpaces(lineText) : std::u16string(lineText));
  return Lines::LinePath<char16_t>(kind, cityPinyin, line);
}

std::u16string CityPinyin(std::u16string_view cityText) {
  return Pinyin::TextToPinyin(TrimSpaces(cityText));
}

std::u16string ComposeQueryUrl(VehicleKind kind, std::u16string_view cityText,
                               std::u16string_view lineText, std::u16string_view base) {
  return std::u16string(base) + LinePath(kind, CityPinyin(cityText), lineText);
}

}  // namespace Query
