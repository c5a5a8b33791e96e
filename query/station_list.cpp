#include "query/station_list.h"

#include <optional>

#include "pinyin/char_code.h"

namespace Query {

namespace {

constexpr std::u16string_view kEndMarker = u"}]}";
constexpr std::u16string_view kStartMarker = u"[{name:";
constexpr char16_t kComma = u',';
constexpr char16_t kSeparator = u'\u2014';  // "—", double-byte in code page 936

// Where the stop records are. The records run from the "[" of the first
// "[{name:" to the first "}]}" of the page; a start marker that is not wholly
// before that end marker does not count, and then the records are everything
// before the end marker. When the start marker counts, the end marker is left
// for the filter to find, so the page is read once.
struct Records {
  std::u16string_view text;
  bool endMarkerInside;  // the records stop at the first "}]}" within `text`
};

std::optional<Records> LocateRecords(std::u16string_view page) {
  const auto start = page.find(kStartMarker);
  if (start != std::u16string_view::npos) {
    // Only an end marker beginning before the start marker's end comes first.
    const auto head = page.substr(0, start + kStartMarker.size() + kEndMarker.size() - 1);
    const auto end = head.find(kEndMarker);
    if (end == std::u16string_view::npos) return Records{page.substr(start + 1), true};
    return Records{page.substr(0, end), false};
  }
  const auto end = page.find(kEndMarker);
  if (end == std::u16string_view::npos) return std::nullopt;
  return Records{page.substr(0, end), false};
}

}  // namespace

// The page's field labels ("name:", "strlatlon:"), its coordinate tokens,
// braces and quotes are all ASCII, which the double-byte filter drops anyway,
// so the filter runs straight over the records: deleting them first could not
// change the list. Commas become separators on the way through.
StationList ExtractStationList(std::u16string_view pageText) {
  const auto records = LocateRecords(pageText);
  if (!records) return {};

  const Pinyin::CharCodeTable& codes = Pinyin::CharCodes();
  const std::u16string_view text = records->text;
  bool ended = !records->endMarkerInside;
  std::u16string kept;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0x80) {  // ASCII, most of a page: single-byte but for the comma
      if (unit == kComma) {
        kept.push_back(kSeparator);
      } else if (unit == u'}' && text.substr(i, kEndMarker.size()) == kEndMarker) {
        ended = true;
        break;
      }
    } else if (Pinyin::IsDoubleByte(codes[unit])) {
      kept.push_back(unit);
    }
  }
  if (!ended) return {};  // no end marker after the start marker

  // Code page 936 has no single-byte space among the kept characters, so the
  // kept text is blank exactly when it is empty.
  if (kept.empty()) return {};
  if (kept.back() == kSeparator) kept.pop_back();
  return {true, std::move(kept)};
}

}  // namespace Query
