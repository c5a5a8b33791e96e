#include "query/station_list.h"

#include "pinyin/char_code.h"

namespace Query {

namespace {

constexpr std::u16string_view kEndMarker = u"}]}";
constexpr std::u16string_view kStartMarker = u"[{name:";
constexpr char16_t kComma = u',';
constexpr char16_t kSeparator = u'\u2014';  // "—", double-byte in code page 936

// The stop records between the markers.
std::u16string_view RecordSection(std::u16string_view page) {
  const auto end = page.find(kEndMarker);
  if (end == std::u16string_view::npos) return {};
  const std::u16string_view section = page.substr(0, end);
  const auto start = section.find(kStartMarker);
  return start == std::u16string_view::npos ? section : section.substr(start + 1);
}

}  // namespace

// The page's field labels ("name:", "strlatlon:"), its coordinate tokens,
// braces and quotes are all ASCII, which the double-byte filter drops anyway,
// so the filter runs straight over the section: deleting them first could not
// change the list. Commas become separators on the way through.
StationList ExtractStationList(std::u16string_view pageText) {
  const Pinyin::CharCodeTable& codes = Pinyin::CharCodes();
  std::u16string kept;
  for (const char16_t unit : RecordSection(pageText)) {
    if (unit == kComma)
      kept.push_back(kSeparator);
    else if (codes[unit] < 0)
      kept.push_back(unit);
  }

  // Code page 936 has no single-byte space among the kept characters, so the
  // kept text is blank exactly when it is empty.
  if (kept.empty()) return {};
  if (kept.back() == kSeparator) kept.pop_back();
  return {true, std::move(kept)};
}

}  // namespace Query
