#include "query/station_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace Query {
void PrintTo(const StationList& list, std::ostream* os) {
  *os << (list.found ? "found, " : "not found, ") << list.stops.size() << " units";
}
}  // namespace Query

namespace {

using Query::ExtractStationList;
using Query::StationList;

StationList Found(std::u16string stops) { return {true, std::move(stops)}; }
const StationList kNotFound{};

TEST(ExtractStationList, WorkedExamples) {
  EXPECT_EQ(ExtractStationList(u"x=[{name:'东站',strlatlon:'HRRRIJWVRGGIT12'},"
                               u"{name:'西门',strlatlon:'HRSAWGXVRFWSJ34'}]};"),
            Found(u"东站——西门"));
  // Without a start marker; the last character is kept unless it is a separator.
  EXPECT_EQ(ExtractStationList(u"t=线路{a:1,b:'二'}]}"), Found(u"线路—二"));
  EXPECT_EQ(ExtractStationList(u"[{name:'东站'}]}"), Found(u"东站"));
  EXPECT_EQ(ExtractStationList(u"[{name:'a,b'}]}"), Found(u""));
  EXPECT_EQ(ExtractStationList(u"[{name:'K5',strlatlon:'7'},{name:'K6',strlatlon:'8'}]}"),
            Found(u"——"));
}

TEST(ExtractStationList, NeedsTheExactEndMarker) {
  EXPECT_EQ(ExtractStationList(u""), kNotFound);
  EXPECT_EQ(ExtractStationList(u"[{name:'东站',strlatlon:'1'}]"), kNotFound);
  EXPECT_EQ(ExtractStationList(u"}]}[{name:'东站'}]}"), kNotFound);
  EXPECT_EQ(ExtractStationList(u"[{name:'东站'} ]}"), kNotFound);
  EXPECT_EQ(ExtractStationList(u"abc,def}]}"), Found(u""));
}

TEST(ExtractStationList, CutsAtTheFirstStartMarkerBeforeTheEndMarker) {
  EXPECT_EQ(ExtractStationList(u"标题[{name:'东站',x:'1'}]}"), Found(u"东站"));
  // A capital N is no marker, so the title stays in.
  EXPECT_EQ(ExtractStationList(u"标题[{Name:'东站',x:'1'}]}"), Found(u"标题东站"));
  // A marker only after the first end marker counts as absent.
  EXPECT_EQ(ExtractStationList(u"标题}]}[{name:'东站'}]}"), Found(u"标题"));
  EXPECT_EQ(ExtractStationList(u"[{name:'一'}],[{name:'二'}]}"), Found(u"一—二"));
  // An end marker right after the start marker ends empty records.
  EXPECT_EQ(ExtractStationList(u"标题[{name:}]}"), kNotFound);
}

TEST(ExtractStationList, KeepsOnlyDoubleByteCharacters) {
  EXPECT_EQ(ExtractStationList(u"[{name:'1号站',strlatlon:'9'}]}"), Found(u"号站"));
  EXPECT_EQ(ExtractStationList(u"[{name:'１号\u3000站'}]}"), Found(u"１号\u3000站"));
  // Neither half of a surrogate pair, nor Hangul, nor € has a double-byte form.
  EXPECT_EQ(ExtractStationList(u"[{name:'东\U00020000站\uAC00€'}]}"), Found(u"东站"));
}

TEST(ExtractStationList, FiltersLongPagesInFull) {
  std::u16string page = u"var line={stations:[";
  constexpr int kStops = 5000;  // about 190,000 code units, far past 32,767
  for (int i = 0; i < kStops; ++i)
    page += u"{name:'站" + std::u16string(1, static_cast<char16_t>(u'一' + i % 20)) +
            u"',strlatlon:'117.0|36.6'},";
  page.back() = u']';
  page += u"};";
  ASSERT_GT(page.size(), 32767u);

  const StationList list = ExtractStationList(page);
  ASSERT_TRUE(list.found);
  EXPECT_EQ(list.stops.size(), kStops * 2 + (kStops - 1) * 2);
  EXPECT_EQ(list.stops.substr(list.stops.size() - 2), u"站" + std::u16string(1, u'一' + 19));
}

}  // namespace
