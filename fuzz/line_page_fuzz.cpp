// A line file of any bytes, written into a page and read back the way the tool
// reads pages: the stop list is the file's stop names in display form, in
// order, kept by the same double-byte filter, so that a name all of whose
// display form code page 936 writes with two bytes comes back whole; nothing
// in a name or a location can end the records early, add to them or show.
#include "front/line_page.h"
#include "fuzz/fuzz_input.h"
#include "lines/display_form.h"
#include "lines/line_file.h"
#include "pinyin/char_code.h"
#include "query/station_list.h"
#include "web/text_codec.h"

namespace {

// Each name's display form as the filter keeps it, a "—" for the comma after
// it and one for the comma between records; found when anything was kept,
// even if only the final "—" that is then dropped.
Query::StationList Expected(const Lines::LineFile& line) {
  std::u16string kept;
  for (std::size_t i = 0; i < line.stops.size(); ++i) {
    for (const char16_t unit : Web::FromUtf8(Lines::DisplayForm(line.stops[i].name)))
      if (Pinyin::IsDoubleByte(Pinyin::CharCode(unit))) kept += unit;
    kept += i + 1 < line.stops.size() ? u"——" : u"—";
  }
  if (kept.empty()) return {};
  kept.pop_back();
  return {true, kept};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Lines::LineFile line = Lines::ParseLineFile({reinterpret_cast<const char*>(data), size});
  const Query::StationList list =
      Query::ExtractStationList(Web::FromUtf8(Front::LinePage(line, {"jinan", "济南"})));
  Fuzz::Require(list == Expected(line));
  return 0;
}
