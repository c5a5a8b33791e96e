#pragma once

#include <string>

#include "pinyin/char_code.h"
#include "query/station_list.h"

namespace Testing {

// The chain as a page reader would do it by hand: cut, delete each label,
// token, brace and quote in turn, replace commas, filter, drop the final dash.
inline Query::StationList ReferenceExtract(std::u16string text) {
  const auto end = text.find(u"}]}");
  text = end == std::u16string::npos ? u"" : text.substr(0, end);
  if (const auto start = text.find(u"[{name:"); start != std::u16string::npos)
    text = text.substr(start + 1);
  for (const std::u16string token : {u"name:", u"strlatlon:", u"HRRRIJWVRGGIT", u"HRSCASWVRGARV",
                                     u"HRSAWGXVRFWSJ", u"}", u"'", u"{"}) {
    std::u16string rest;
    for (std::size_t i = 0; i < text.size();) {
      if (text.compare(i, token.size(), token) == 0) {
        i += token.size();
      } else {
        rest += text[i++];
      }
    }
    text = rest;
  }
  std::u16string kept;
  for (const char16_t c : text) {
    const char16_t unit = c == u',' ? u'\u2014' : c;
    if (Pinyin::CharCode(unit) < 0) kept += unit;
  }
  if (kept.empty()) return {};
  if (kept.back() == u'\u2014') kept.pop_back();
  return {true, kept};
}

}  // namespace Testing
