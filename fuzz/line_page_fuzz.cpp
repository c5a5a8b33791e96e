// A line file of any bytes, written into a page and read back the way the tool
// reads pages: the stop list is the file's stop names and locations, in order,
// kept by the same double-byte filter; nothing in a file can end the records
// early or add to them.
#include "fuzz/fuzz_input.h"
#include "lines/line_file.h"
#include "lines/line_page.h"
#include "pinyin/char_code.h"
#include "query/station_list.h"
#include "web/text_codec.h"

namespace {

// What the extraction keeps of the records' fields: "," between fields and
// records, then only what code page 936 writes with two bytes; found when
// anything was kept, even if only the final "—" that is then dropped.
Query::StationList Expected(const Lines::LineFile& line) {
  std::u16string kept;
  for (std::size_t i = 0; i < line.stops.size(); ++i) {
    const std::u16string fields = Web::FromUtf8(line.stops[i].name) + u"," +
                                  Web::FromUtf8(line.stops[i].location) +
                                  (i + 1 < line.stops.size() ? u"," : u"");
    for (const char16_t c : fields) {
      const char16_t unit = c == u',' ? u'\u2014' : c;
      if (Pinyin::IsDoubleByte(Pinyin::CharCode(unit))) kept += unit;
    }
  }
  if (kept.empty()) return {};
  if (kept.back() == u'\u2014') kept.pop_back();
  return {true, kept};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Lines::LineFile line = Lines::ParseLineFile({reinterpret_cast<const char*>(data), size});
  const Query::StationList list = Query::ExtractStationList(Web::FromUtf8(Lines::LinePage(line)));
  Fuzz::Require(list == Expected(line));
  return 0;
}
