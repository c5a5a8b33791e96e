// The city guide on a small made-up city: a stop shared by lines, a pair of
// directions on different streets, a loop line, a stop served by a bus and a
// trolleybus line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <regex>
#include <set>
#include <tuple>

#include "front/html.h"
#include "front/page_cache.h"
#include "lines/city_index.h"
#include "lines/line_address.h"
#include "lines/transfers.h"
#include "query/guide_query.h"
#include "tests/support/scratch_folder.h"

namespace {

namespace fs = std::filesystem;

class GuideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data = Testing::ScratchFolder();
    fs::create_directories(data / "ceshi");
    Write("ceshi/.city", "测试\n");
    Write("ceshi/1lu.txt", "# 1路\n甲\n乙\n丙\n丁\n> 返程\n丁\n丙\n乙\n甲\n");
    Write("ceshi/2lu.txt", "# 2路\n甲\n戊\n己\n> 返程走另一条街\n己\n庚\n甲\n");  // one-way streets
    Write("ceshi/3lu.txt", "# 3路环线\n丙\n辛\n西站\n丙\n");                      // a loop
    Write("ceshi/5ludianche.txt", "# 5路电车\n乙\n癸\n东站\n");
    Write("ceshi/notes.txt", "不是线路\n");
    pages.emplace(std::vector{data}, [](std::string_view) {});
  }
  void Write(const std::string& relative, const std::string& text) {
    std::ofstream(data / relative, std::ios::binary) << text;
  }
  Front::Page Answer(std::string_view path) { return pages->Answer(path); }
  // What a page lists, as the command line reads it.
  std::vector<std::string> Items(std::string_view path) {
    return Query::ReadGuidePage(Answer(path).html).items;
  }

  fs::path data;
  std::optional<Front::PageCache> pages;
};

// Every list of the guide against the line files, and every link on every
// page leads to a page.
TEST_F(GuideTest, ListsWhatTheLineFilesHoldAndLinksItAll) {
  EXPECT_EQ(Items("/"), std::vector<std::string>{"测试：4 条线路"});
  EXPECT_EQ(Items("/ceshi/xianlu/"),
            (std::vector<std::string>{"1 公交：甲 → 丁", "2 公交：甲 → 己", "3 公交：丙 → 丙",
                                      "5 电车：乙 → 东站"}));
  EXPECT_EQ(Items(Lines::StopPath("ceshi", "乙")),
            (std::vector<std::string>{"1 公交：甲 → 丁", "1 公交：丁 → 甲", "5 电车：乙 → 东站"}));
  EXPECT_EQ(Items(Lines::StopPath("ceshi", "庚")), std::vector<std::string>{"2 公交：己 → 甲"});
  const Front::Page missing = Answer(Lines::StopPath("ceshi", "站"));
  EXPECT_EQ(missing.status, 404);
  EXPECT_EQ(Query::ReadGuidePage(missing.html).items, (std::vector<std::string>{"东站", "西站"}));
  EXPECT_EQ(Answer(Lines::StopPath("beijing", "乙")).status, 404);  // no such city

  // The line page: both directions, the records only the first.
  const std::string two = Answer("/ceshi/xianlu/2lu/").html;
  EXPECT_NE(two.find("<h2><bdi>甲</bdi> → <bdi>己</bdi></h2>"), std::string::npos) << two;
  EXPECT_NE(two.find("<h2><bdi>己</bdi> → <bdi>甲</bdi></h2>"), std::string::npos) << two;
  EXPECT_NE(
      two.find("[{name:'甲',strlatlon:''},{name:'戊',strlatlon:''},{name:'己',strlatlon:''}]}"),
      std::string::npos)
      << two;

  std::set<std::string> seen, toVisit{"/"};
  const std::regex href("href=\"([^\"]*)\"");
  while (!toVisit.empty()) {
    const std::string path = *toVisit.begin();
    toVisit.erase(toVisit.begin());
    if (!seen.insert(path).second) continue;
    const Front::Page page = Answer(path);
    EXPECT_EQ(page.status, 200) << path;
    for (std::sregex_iterator link(page.html.begin(), page.html.end(), href), end; link != end;
         ++link)
      toVisit.insert((*link)[1]);
  }
  // "/", the city's lines, four line pages, eleven stops, the stylesheet.
  EXPECT_EQ(seen.size(), 18u);
}

// Every way the brute force finds, by line directions and stops.
using WayKey = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t>;
std::map<WayKey, std::size_t> BruteForce(const Lines::CityIndex& city, const std::string& from,
                                         const std::string& to, bool changing) {
  std::map<WayKey, std::size_t> best;
  const auto keep = [&best](const WayKey& key, std::size_t stops) {
    const auto [at, added] = best.try_emplace(key, stops);
    if (!added) at->second = std::min(at->second, stops);
  };
  const auto& lines = city.Lines();
  for (std::uint32_t a = 0; a < lines.size(); ++a)
    for (std::uint32_t ad = 0; ad < lines[a].directions.size(); ++ad) {
      const auto& first = lines[a].directions[ad];
      for (std::size_t i = 0; i < first.size(); ++i)
        for (std::size_t k = 0; k < first.size(); ++k) {
          const std::size_t ride = Lines::RideLength(first, i, k);
          if (first[i] != from || ride == 0) continue;
          if (!changing && first[k] == to) keep({a, ad, a, ad}, ride);
          if (!changing) continue;
          for (std::uint32_t b = 0; b < lines.size(); ++b)
            for (std::uint32_t bd = 0; b != a && bd < lines[b].directions.size(); ++bd) {
              const auto& second = lines[b].directions[bd];
              for (std::size_t m = 0; m < second.size(); ++m)
                for (std::size_t n = 0; n < second.size(); ++n)
                  if (second[m] == first[k] && second[n] == to &&
                      Lines::RideLength(second, m, n) > 0)
                    keep({a, ad, b, bd}, ride + Lines::RideLength(second, m, n));
            }
        }
    }
  return best;
}

// Between every two stops: the direct ways first, by fewest stops, then the
// ways with one change, each pair of line directions once at its best; the
// same as a brute-force search over the same lines.
TEST_F(GuideTest, FindsTheWaysABruteForceSearchFinds) {
  const Lines::CityIndex city = Lines::CityIndex::Build("ceshi", data / "ceshi", data);
  std::size_t changes = 0, loops = 0;
  for (const std::string& from : city.Stops())
    for (const std::string& to : city.Stops()) {
      if (from == to) continue;
      const auto ways = Lines::FindWays(city, from, to);
      std::map<WayKey, std::size_t> direct, changing;
      std::size_t lastStops = 0;
      bool changed = false;
      for (const Lines::Way& way : ways) {
        const auto& rides = way.rides;
        ASSERT_TRUE(rides.size() == 1 || rides.size() == 2);
        const bool isChange = rides.size() == 2;
        EXPECT_TRUE(!changed || isChange) << from << "→" << to << ": direct after a change";
        if (isChange != changed) lastStops = 0;
        changed = isChange;
        EXPECT_GE(way.Stops(), lastStops) << from << "→" << to;
        lastStops = way.Stops();
        const auto& first = city.Lines()[rides.front().line].directions[rides.front().direction];
        const auto& last = city.Lines()[rides.back().line].directions[rides.back().direction];
        EXPECT_EQ(first[rides.front().from], from);
        EXPECT_EQ(last[rides.back().to], to);
        if (isChange) {
          EXPECT_EQ(first[rides.front().to], last[rides.back().from]);  // the change
        }
        (isChange ? changing : direct)[{rides.front().line, rides.front().direction,
                                        rides.back().line, rides.back().direction}] = way.Stops();
        changes += isChange;
        loops += rides.front().to < rides.front().from;
      }
      EXPECT_EQ(direct, BruteForce(city, from, to, false)) << from << "→" << to;
      EXPECT_EQ(changing, BruteForce(city, from, to, true)) << from << "→" << to;
    }
  EXPECT_GT(changes, 0u);
  EXPECT_GT(loops, 0u);  // rides on round the loop
}

// A ride's length, which the brute force shares: on a loop it rides on past
// the end, but never from a stop round to itself; elsewhere only forward.
TEST(RideLength, RidesOnRoundALoopButNeverToWhereItIs) {
  const std::vector<std::string> loop = {"丙", "辛", "西站", "丙"}, line = {"甲", "乙", "丙"};
  EXPECT_EQ(Lines::RideLength(loop, 1, 2), 1u);
  EXPECT_EQ(Lines::RideLength(loop, 2, 1), 2u);  // 西站, 丙, 辛
  EXPECT_EQ(Lines::RideLength(loop, 1, 1), 0u);
  EXPECT_EQ(Lines::RideLength(line, 2, 1), 0u);
  EXPECT_EQ(Lines::RideLength(line, 1, 1), 0u);
}

// On a generated dense city (loops, stops visited twice, many ways between
// any two stops), the ways kept are the best of the brute force's, in order:
// fewest stops, then line directions.
TEST_F(GuideTest, KeepsTheBestWaysOfADenseCity) {
  const fs::path dense = data / "dense";
  fs::create_directories(dense);
  std::minstd_rand random(5);
  std::uniform_int_distribution<int> stop(0, 19);
  for (int line = 0; line < 40; ++line) {
    std::string file;
    std::vector<int> stops(8);
    std::ranges::generate(stops, [&] { return stop(random); });
    if (line % 5 == 0) stops.push_back(stops.front());  // a loop
    for (const int s : stops) file += "站" + std::to_string(s) + "\n";
    file += "> 返程\n";
    for (auto s = stops.rbegin(); s != stops.rend(); ++s) file += "站" + std::to_string(*s) + "\n";
    Write("dense/" + std::to_string(line) + "lu.txt", file);
  }
  const Lines::CityIndex city = Lines::CityIndex::Build("dense", dense, data);
  std::size_t compared = 0;
  for (const std::string& from : city.Stops())
    for (const std::string& to : city.Stops()) {
      if (from == to) continue;
      std::vector<std::tuple<bool, std::size_t, WayKey>> expected;
      for (const bool changing : {false, true})
        for (const auto& [key, stops] : BruteForce(city, from, to, changing))
          expected.emplace_back(changing, stops, key);
      std::ranges::sort(expected);
      std::vector<std::tuple<bool, std::size_t, WayKey>> found;
      for (const Lines::Way& way : Lines::FindWays(city, from, to, 7))
        found.emplace_back(way.rides.size() == 2, way.Stops(),
                           WayKey{way.rides.front().line, way.rides.front().direction,
                                  way.rides.back().line, way.rides.back().direction});
      // At most seven, the direct ones first.
      expected.resize(std::min<std::size_t>(expected.size(), 7));
      ASSERT_EQ(found, expected) << from << "→" << to;
      compared += found.size();
    }
  EXPECT_GT(compared, 2000u);  // most pairs have more ways than are kept
}

// A stop that hundreds of lines pass: its page lists a hundred directions and
// says where the rest are; a trip between two such hubs is the best twenty.
TEST_F(GuideTest, KeepsHubPagesSmall) {
  fs::create_directories(data / "hub");
  for (int line = 0; line < 300; ++line) {
    const std::string own = "站" + std::to_string(line);
    // Each way: a stop of its own, 甲, another of its own, 乙.
    std::string file;
    for (const char* row : {"+甲", "甲", "+乙", "乙", "> 返程", "乙", "+乙", "甲", "+甲"})
      file.append(row[0] == '+' ? own + (row + 1) : row).append("\n");
    Write("hub/" + std::to_string(line) + "lu.txt", file);
  }
  const Front::Page stop = Answer(Lines::StopPath("hub", "甲"));
  const std::vector<std::string> items = Query::ReadGuidePage(stop.html).items;
  EXPECT_EQ(items.size(), 100u);
  EXPECT_NE(stop.html.find("另有 500 个线路方向经过此站"), std::string::npos);
  EXPECT_NE(stop.html.find("href=\"/hub/xianlu/\""), std::string::npos);
  EXPECT_LT(stop.html.size(), 200'000u);
  const std::vector<std::string> ways = Items(Lines::TransferPath("hub", "甲", "乙"));
  ASSERT_EQ(ways.size(), 20u);
  EXPECT_EQ(ways.front(), "0 公交：甲 → 乙，2 站");
}

// Whether `at` lies after an `open` that no `close` has ended yet.
bool Inside(const std::string& page, std::size_t at, std::string_view open,
            std::string_view close) {
  const auto opened = page.rfind(open, at), closed = page.rfind(close, at);
  return opened != std::string::npos && (closed == std::string::npos || opened > closed);
}

// A name with a right-to-left override reorders nothing outside itself: every
// name from the data is set apart in <bdi>, on the line list, stop and line
// pages, and in the titles.
TEST_F(GuideTest, SetsEveryNameApartFromTheTextAroundIt) {
  const std::string flipped = "甲\u202e乙";
  Write("ceshi/9lu.txt", "# 9路\u202e\n" + flipped + "\n丙\n");
  const std::string bdi = "<bdi>" + flipped + "</bdi>";
  for (std::string page :
       {Answer("/ceshi/xianlu/").html, Answer(Lines::StopPath("ceshi", "丙")).html,
        Answer("/ceshi/xianlu/9lu/").html}) {
    page.resize(std::min(page.size(), page.find("<script>")));  // the records are not shown
    EXPECT_NE(page.find(bdi + " → <bdi>丙</bdi>"), std::string::npos) << page;
    for (std::size_t at = page.find("\u202e"); at != std::string::npos;
         at = page.find("\u202e", at + 1))
      EXPECT_TRUE(Inside(page, at, "<bdi>", "</bdi>") || Inside(page, at, "\u2068", "\u2069"))
          << page;
  }
  EXPECT_NE(Answer(Lines::StopPath("ceshi", flipped))
                .html.find("<title>\u2068测试\u2069 \u2068" + flipped + "\u2069"),
            std::string::npos);
}

// Names as a query shows them (full width) find the stops; two variants
// that read the same are one row; a trip from a stop to itself is none.
// Times come from a line file, which anyone may edit: hours past the day run
// into the next, and anything that is not a clock is shown as it stands.
TEST(TimesText, ShowsTheNextDayAndLeavesOddTimesAsTheyStand) {
  EXPECT_EQ(Front::TimesText("06:05-24:40"), "首班 06:05 · 末班 次日 00:40");
  EXPECT_EQ(Front::TimesText("23:59-35:01"), "首班 23:59 · 末班 次日 11:01");
  EXPECT_EQ(Front::TimesText("24:00-"), "首班 次日 00:00 · 末班 ");
  EXPECT_EQ(Front::TimesText("99999999999:00-2x:00"), "首班 99999999999:00 · 末班 2x:00");
  EXPECT_EQ(Front::TimesText("-25:00-<b>"), "首班  · 末班 次日 01:00-&lt;b&gt;");
  EXPECT_EQ(Front::TimesText("06:05"), "");
  EXPECT_EQ(Front::TimesText(""), "");
}

TEST_F(GuideTest, FindsStopsInEitherWidthAndRepeatsNoRow) {
  Write("ceshi/9lu.txt", "地铁3号线 A口\n甲\n> 区间车\n地铁3号线 A口\n甲\n");
  EXPECT_EQ(Items(Lines::StopPath("ceshi", "地铁３号线　Ａ口")),
            std::vector<std::string>{"9 公交：地铁3号线 A口 → 甲"});
  EXPECT_EQ(Items(Lines::TransferPath("ceshi", "地铁３号线　Ａ口", "甲")),
            (std::vector<std::string>{"9 公交：地铁3号线 A口 → 甲，1 站"}));
  const Front::Page missing = Answer(Lines::StopPath("ceshi", "３号"));
  EXPECT_EQ(missing.status, 404);
  EXPECT_EQ(Query::ReadGuidePage(missing.html).items, std::vector<std::string>{"地铁3号线 A口"});
  const Front::Page itself = Answer(Lines::TransferPath("ceshi", "甲", "甲"));
  EXPECT_EQ(itself.status, 404);
  EXPECT_TRUE(Query::ReadGuidePage(itself.html).items.empty());
  EXPECT_NE(Query::ReadGuidePage(itself.html).heading.find("同一个站点"), std::string::npos);
}

// The transfer page names where to change; 404 when nothing goes there.
TEST_F(GuideTest, ShowsWaysWithWhereToChange) {
  EXPECT_EQ(
      Items(Lines::TransferPath("ceshi", "甲", "癸")),
      (std::vector<std::string>{"1 公交：甲 → 乙，1 站；在乙换乘 5 电车：乙 → 癸，1 站；共 2 站"}));
  EXPECT_EQ(Items(Lines::TransferPath("ceshi", "西站", "辛")),
            std::vector<std::string>{"3 公交：西站 → 辛，2 站"});             // round the loop
  EXPECT_EQ(Answer(Lines::TransferPath("ceshi", "东站", "甲")).status, 404);  // a dead end
  const Front::Page unknown = Answer(Lines::TransferPath("ceshi", "站", "甲"));
  EXPECT_EQ(unknown.status, 404);
  EXPECT_EQ(Query::ReadGuidePage(unknown.html).items, (std::vector<std::string>{"东站", "西站"}));
}

// The index is built once per change of the city's folder: a line added
// shows at once, and so does a city the user's folder gains.
TEST_F(GuideTest, RebuildsTheCityWhenItsFolderChanges) {
  const auto before = pages->City("ceshi");
  EXPECT_EQ(pages->City("ceshi"), before);  // kept while nothing changes
  Write("ceshi/7lu.txt", "# 7路\n甲\n子\n");
  EXPECT_NE(pages->City("ceshi"), before);
  EXPECT_EQ(Items(Lines::StopPath("ceshi", "子")), std::vector<std::string>{"7 公交：甲 → 子"});

  const fs::path user = data / "user";
  fs::create_directories(user / "ceshi");
  std::ofstream(user / "ceshi" / "9lu.txt") << "用户站\n";
  std::ofstream(user / "ceshi" / ".city") << "\n";  // no name: the pinyin
  Front::PageCache both({user, data}, [](std::string_view) {});
  EXPECT_EQ(both.City("ceshi")->Name(), "ceshi");
  EXPECT_EQ(Query::ReadGuidePage(both.Answer("/ceshi/xianlu/").html).items,
            std::vector<std::string>{"9 公交：用户站 → 用户站"});
}

}  // namespace
