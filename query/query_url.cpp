#include "query/query_url.h"

#include <algorithm>
#include <utility>

#include "pinyin/place_names.h"
#include "query/text_trim.h"
#include "upper_case.inc"

namespace Query {

namespace {

// Simple per-character upper-casing by Unicode's case mappings: k55 becomes
// K55, ｋ full-width too; digits and Chinese stay.
std::u16string UpperCase(std::u16string text) {
  for (char16_t& unit : text) {
    const auto* found =
        std::ranges::lower_bound(kUpperCase, unit, {}, &std::pair<char16_t, char16_t>::first);
    if (found != std::ranges::end(kUpperCase) && found->first == unit) unit = found->second;
  }
  return text;
}

}  // namespace

namespace {

// The line as riders write it, as the site files it: letters and digits an
// input method typed in full width as ASCII (Ｋ５５ is K55), and a trailing
// 路 dropped (B1路 is B1, which the address follows with "lu").
std::u16string LineDesignation(std::u16string text) {
  for (char16_t& unit : text)
    if (unit >= u'\uFF01' && unit <= u'\uFF5E') unit = static_cast<char16_t>(unit - 0xFEE0);
  if (text.size() > 1 && text.ends_with(u'路')) text.pop_back();
  return UpperCase(std::move(text));
}

}  // namespace

std::u16string LinePath(VehicleKind kind, std::u16string_view cityPinyin,
                        std::u16string_view lineText) {
  const std::u16string line =
      LineDesignation(kind == VehicleKind::Bus ? TrimSpaces(lineText) : std::u16string(lineText));
  return Lines::LinePath<char16_t>(kind, cityPinyin, line);
}

std::u16string CityPinyin(std::u16string_view cityText) {
  return Pinyin::PlaceToPinyin(TrimSpaces(cityText));
}

std::u16string ComposeQueryUrl(VehicleKind kind, std::u16string_view cityText,
                               std::u16string_view lineText, std::u16string_view base) {
  return std::u16string(base) + LinePath(kind, CityPinyin(cityText), lineText);
}

}  // namespace Query
