#include "query/query_url.h"

#include <unicode/uchar.h>

#include "pinyin/pinyin.h"
#include "query/text_trim.h"

namespace Query {

namespace {

// Simple per-character upper-casing: k55 becomes K55, digits and Chinese stay.
std::u16string UpperCase(std::u16string text) {
  for (char16_t& unit : text) {
    const UChar32 upper = u_toupper(unit);
    if (upper <= 0xFFFF) unit = static_cast<char16_t>(upper);
  }
  return text;
}

}  // namespace

std::u16string ComposeQueryUrl(VehicleKind kind, std::u16string_view cityText,
                               std::u16string_view lineText, std::u16string_view base) {
  const bool bus = kind == VehicleKind::Bus;
  std::u16string url(base);
  url += Pinyin::TextToPinyin(TrimSpaces(cityText));
  url += u"/xianlu/";
  url += UpperCase(bus ? TrimSpaces(lineText) : std::u16string(lineText));
  url += bus ? u"lu/" : u"ludianche/";
  return url;
}

}  // namespace Query
