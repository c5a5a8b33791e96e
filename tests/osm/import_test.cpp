// The import's rules on small extracts read directly, as XML: which routes
// become which lines, and what their files hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "front/page_cache.h"
#include "import/city_folder.h"
#include "lines/line_file.h"
#include "osm/import_plan.h"
#include "osm/line_import.h"
#include "osm/osm_routes.h"
#include "query/guide_query.h"
#include "query/query_url.h"
#include "query/station_list.h"
#include "tests/support/scratch_folder.h"
#include "web/text_codec.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCityExtract = fs::path(RIDELON_OSM_DATA) / "city.osm";
const fs::path kHostileExtract = fs::path(RIDELON_OSM_DATA) / "hostile.osm";

// An extract of the given relations, with nodes 1 to 9 named 站1 … 站9 and
// tagged as platforms.
fs::path WriteExtract(const fs::path& folder, const std::string& relations) {
  std::ostringstream xml;
  xml << "<?xml version='1.0' encoding='UTF-8'?>\n<osm version='0.6'>\n";
  for (int id = 1; id <= 9; ++id)
    xml << "<node id='" << id << "' lat='39.9' lon='116." << id << "' version='1'>"
        << "<tag k='public_transport' v='platform'/><tag k='name' v='站" << id << "'/></node>\n";
  xml << relations << "</osm>\n";
  fs::path file = folder / "extract.osm";
  std::ofstream(file) << xml.str();
  return file;
}

std::string Route(int id, const std::string& ref, const std::vector<int>& platforms) {
  std::string xml = "<relation id='" + std::to_string(id) + "' version='1'>";
  for (const int node : platforms)
    xml += "<member type='node' ref='" + std::to_string(node) + "' role='platform'/>";
  return xml + "<tag k='type' v='route'/><tag k='route' v='bus'/><tag k='ref' v='" + ref +
         "'/></relation>\n";
}

const Osm::Route* RouteWithId(const Osm::Routes& routes, std::int64_t id) {
  const auto found = std::ranges::find(routes.routes, id, &Osm::Route::id);
  return found == routes.routes.end() ? nullptr : &*found;
}

std::vector<std::string> StopNames(const Osm::Route& route) {
  std::vector<std::string> names;
  for (const auto& stop : route.stops) names.push_back(stop.name);
  return names;
}

std::string ReadText(const fs::path& file) {
  std::ostringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  return text.str();
}

using Names = std::vector<std::string>;

Front::Page Answer(const fs::path& data, std::string_view path) {
  return Front::PageCache({data}, [](std::string_view) {}).Answer(path);
}

// Stops by role and by tag, names by language, a stop position and platform
// of one name, unnamed stops, route masters, refused relations.
TEST(OsmRoutes, ReadsStopsByRoleAndByTagWithTheirNames) {
  const Osm::Routes routes = Osm::ReadRoutes(kCityExtract, [](double) {});
  ASSERT_EQ(routes.routes.size(), 6u);  // not the tram, not the route without a ref
  EXPECT_EQ(routes.skipped, Names{"relation 27: no ref"});

  const Osm::Route* east = RouteWithId(routes, 20);
  ASSERT_NE(east, nullptr);
  // name:zh over name, name:zh-Hans over both; node 1 and way 10 are one stop.
  EXPECT_EQ(StopNames(*east), (Names{"西站", "中街", "东站"}));
  EXPECT_EQ(east->stops[0].location, "116.3|39.9");
  EXPECT_EQ(east->unnamedStops, 1u);  // the platform without a name
  EXPECT_EQ(east->masterId, 30);
  EXPECT_EQ(east->name, "1路");  // the route master's

  const Osm::Route* trolleybus = RouteWithId(routes, 22);
  ASSERT_NE(trolleybus, nullptr);
  EXPECT_TRUE(trolleybus->trolleybus);
  // Without roles: the member nodes tagged as stops; 路口 is only a name.
  EXPECT_EQ(StopNames(*trolleybus), (Names{"北门", "南门", "广场"}));
  EXPECT_EQ(trolleybus->masterId, 0);
}

// A stop by role that never came in the extract is counted apart from one
// that came without a name; a member without the role is no stop, come or not.
TEST(OsmRoutes, CountsStopsByRoleThatNeverCame) {
  const fs::path folder = Testing::ScratchFolder();
  const Osm::Routes routes = Osm::ReadRoutes(
      WriteExtract(folder,
                   "<node id='12' lat='39.9' lon='116.1' version='1'/>\n"
                   "<relation id='40' version='1'><member type='node' ref='1' role='platform'/>"
                   "<member type='node' ref='99' role='stop'/>"
                   "<member type='node' ref='12' role='stop'/>"
                   "<member type='way' ref='98' role='platform'/>"
                   "<member type='node' ref='97' role=''/>"
                   "<tag k='type' v='route'/><tag k='route' v='bus'/><tag k='ref' v='9'/>"
                   "</relation>\n"),
      [](double) {});
  ASSERT_EQ(routes.routes.size(), 1u);
  EXPECT_EQ(StopNames(routes.routes[0]), Names{"站1"});
  EXPECT_EQ(routes.routes[0].unnamedStops, 1u);  // node 12, untagged
  EXPECT_EQ(routes.routes[0].outsideStops, 2u);  // node 99 and way 98
}

Osm::Route Variant(std::int64_t id, std::size_t stops, std::int64_t master = 0) {
  Osm::Route route{.id = id, .ref = "7", .masterId = master};
  for (std::size_t i = 0; i < stops; ++i) route.stops.push_back({"站" + std::to_string(i), ""});
  return route;
}

std::vector<std::int64_t> Ids(const Osm::PlannedLine& line) {
  std::vector<std::int64_t> ids;
  for (const Osm::Route* route : line.routes) ids.push_back(route->id);
  return ids;
}

// The page is the variant with most named stops, whatever its id; ties go to
// the lowest id; the others follow in the same order.
TEST(ImportPlan, PutsTheVariantWithMostStopsFirstThenTheLowestId) {
  Osm::Routes routes;
  routes.routes = {Variant(5, 2), Variant(9, 3), Variant(3, 2), Variant(1, 1)};
  const Osm::ImportPlan plan = Osm::PlanImport(routes, "jinan");
  ASSERT_EQ(plan.lines.size(), 1u);
  EXPECT_EQ(plan.lines[0].fileName, "7lu.txt");
  EXPECT_EQ(Ids(plan.lines[0]), (std::vector<std::int64_t>{9, 3, 5, 1}));
  EXPECT_EQ(plan.report.busLines, 1u);
  EXPECT_TRUE(plan.report.notes.empty());  // one route master (none) for the ref
}

// Refs that name one line whatever their case; a ref that cannot name a file
// and a route without named stops are noted; several route masters for a ref
// too; nothing is written.
TEST(ImportPlan, GroupsByTheLineTheAddressNamesAndNotesWhatCannotBeALine) {
  Osm::Routes routes;
  routes.routes = {Variant(1, 2, 100), Variant(2, 1, 200), Variant(3, 0), Variant(4, 2),
                   Variant(5, 1)};
  routes.routes[2].ref = "k5";
  routes.routes[3].ref = "K5";
  routes.routes[4].ref = "../5";
  routes.routes[4].trolleybus = true;
  routes.skipped = {"relation 6: no ref"};
  const Osm::ImportPlan plan = Osm::PlanImport(routes, "jinan");
  ASSERT_EQ(plan.lines.size(), 2u);
  EXPECT_EQ(plan.lines[0].fileName, "7lu.txt");
  EXPECT_EQ(Ids(plan.lines[0]), (std::vector<std::int64_t>{1, 2}));
  EXPECT_EQ(plan.lines[1].fileName, "K5lu.txt");
  EXPECT_EQ(Ids(plan.lines[1]), std::vector<std::int64_t>{4});
  EXPECT_EQ(plan.report.busLines, 2u);
  EXPECT_EQ(plan.report.trolleybusLines, 0u);
  EXPECT_EQ(plan.report.notes,
            (Names{"relation 6: no ref", "relation 3: no named stops",
                   "relation 5: ref \"../5\" cannot name a line",
                   "bus 7: 2 routes share the ref; the one with most stops is the page, the "
                   "others its other directions"}));
}

// The whole import of the city extract: the line files, what they hold, and
// the report; then bad requests, which leave the folder as it was.
TEST(ImportLines, WritesTheCityFolderOrNothing) {
  const fs::path data = Testing::ScratchFolder();
  const Import::ImportReport report =
      Osm::ImportLines({.source = kCityExtract, .city = "北京", .dataFolder = data}, [](double) {});
  EXPECT_EQ(report.cityFolder, data / "beijing");
  EXPECT_EQ(report.busLines, 2u);
  EXPECT_EQ(report.trolleybusLines, 1u);
  EXPECT_EQ(report.counts, (std::vector<std::pair<std::string, std::size_t>>{
                               {"stops without a name, left out", 1},
                               {"stops outside the extract, left out", 0}}));

  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(data / "beijing"))
    files.push_back(entry.path().filename().string());
  std::ranges::sort(files);
  EXPECT_EQ(files, (Names{".city", "1lu.txt", "1ludianche.txt", "K5lu.txt"}));
  EXPECT_EQ(ReadText(data / "beijing" / ".city"), "北京\n");  // the city as the user typed it

  const std::string bus1 = ReadText(data / "beijing" / "1lu.txt");
  const Lines::LineFile line = Lines::ParseLineFile(bus1);
  EXPECT_EQ(line.title, "1路");
  ASSERT_EQ(line.stops.size(), 3u);
  EXPECT_EQ(line.stops[0].name, "西站");
  EXPECT_EQ(line.stops[0].location, "116.3|39.9");
  // The other variants are the line's other directions, each with its note.
  ASSERT_EQ(line.moreDirections.size(), 2u) << bus1;
  EXPECT_EQ(line.moreDirections[0].note, "relation 21 (1路)");
  EXPECT_EQ(line.moreDirections[0].stops.size(), 2u);
  EXPECT_EQ(line.moreDirections[0].stops[0].name, "东站");
  EXPECT_EQ(line.moreDirections[1].note, "relation 25 ()");
  EXPECT_EQ(Lines::ParseLineFile(ReadText(data / "beijing" / "K5lu.txt")).stops.size(), 2u);
  // The guide reads the city as imported: its name, its directions.
  EXPECT_NE(Answer(data, "/").html.find(">北京</bdi></a>：3 条线路"), std::string::npos);
  EXPECT_NE(Answer(data, Lines::StopPath("beijing", "西站")).html.find("东站</bdi> → <bdi>西站"),
            std::string::npos);

  const auto refused = [&](Import::ImportRequest request, const std::string& reason) {
    request.dataFolder = data;
    try {
      Osm::ImportLines(request, [](double) {});
      ADD_FAILURE() << "imported " << request.source;
    } catch (const Import::ImportError& error) {
      EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
    }
  };
  std::ofstream(data / "notes.osm") << "bus 1: west to east\n";
  refused({.source = data / "notes.osm", .city = "北京"}, "cannot read");
  refused({.source = data / "missing.osm", .city = "北京"}, "cannot read");
  refused({.source = kCityExtract, .city = "★"}, "--pinyin");
  refused({.source = kCityExtract, .city = "北京", .pinyin = "bei jing"}, "Latin letters");
  refused({.source = WriteExtract(data, Route(41, "2/3", {1, 2})), .city = "北京"},
          "no bus or trolleybus routes");
  EXPECT_EQ(ReadText(data / "beijing" / "1lu.txt"), bus1);
  fs::remove(data / "notes.osm");
  fs::remove(data / "extract.osm");
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(data))
    left.push_back(entry.path().filename().string());
  EXPECT_EQ(left, Names{"beijing"});  // nothing left beside the city
}

// Names that try to forge a line file come back as one stop each, with
// spaces for their control characters; coordinates are only what the import
// computed; the page shows every name whole but the one with characters code
// page 936 cannot write, which the report names.
TEST(ImportLines, WritesWhatTheExtractHeldAndNothingMore) {
  const fs::path data = Testing::ScratchFolder();
  const Import::ImportReport report = Osm::ImportLines(
      {.source = kHostileExtract, .city = "北京", .dataFolder = data}, [](double) {});
  const Lines::LineFile line = Lines::ReadLineFile(data / "beijing" / "5lu.txt");
  EXPECT_EQ(line.title, "5路 注入站");
  ASSERT_EQ(line.stops.size(), 5u);
  EXPECT_EQ(line.stops[0].name, "乙站 注入站");
  EXPECT_EQ(line.stops[1].name, "#3号门");
  EXPECT_EQ(line.stops[2].name, "甲 乙");
  EXPECT_EQ(line.stops[2].location, "116.33|39.93");
  EXPECT_EQ(line.stops[3].name, "Princesse Stéphanie");
  const auto shown =
      Query::ExtractStationList(Web::FromUtf8(Answer(data, "/beijing/xianlu/5lu/").html)).stops;
  EXPECT_TRUE(shown.starts_with(
      u"乙站　注入站——＃３号门——甲　乙——Ｐｒｉｎｃｅｓｓｅ　Ｓｔéｐｈａｎｉｅ——Ｓ"))
      << Web::ToUtf8(shown);
  EXPECT_NE(std::ranges::find(report.notes,
                              "stop names with characters a query cannot show: 1, e.g. "
                              "\"Straße 🚌\""),
            report.notes.end());

  // The route master's name, with its newline, is the title of line 6, and
  // no comment line holds a stop.
  const std::string six = ReadText(data / "beijing" / "6lu.txt");
  EXPECT_EQ(Lines::ParseLineFile(six).title, "Bus 6 注入站");
  EXPECT_EQ(six.find("\n注入站"), std::string::npos) << six;
}

// A route is a direction of its route master's line, whatever its own ref;
// a bus station is a stop of a route without roles; refs that no file can
// take, or only spaces, are skipped with the relation named.
TEST(ImportLines, GroupsRoutesAsRidersKnowTheLines) {
  const fs::path data = Testing::ScratchFolder();
  const Import::ImportReport report = Osm::ImportLines(
      {.source = kHostileExtract, .city = "北京", .dataFolder = data}, [](double) {});
  EXPECT_EQ(report.busLines, 3u);  // 5, 6 and 7
  EXPECT_EQ(report.trolleybusLines, 0u);
  const std::string six = ReadText(data / "beijing" / "6lu.txt");
  const Lines::LineFile line = Lines::ParseLineFile(six);
  ASSERT_EQ(line.stops.size(), 2u);
  EXPECT_EQ(line.stops[0].name, "中街");  // relation 11, C.A.M. 6, the lower id of a tie
  ASSERT_EQ(line.moreDirections.size(), 1u) << six;
  EXPECT_EQ(line.moreDirections[0].note, "relation 12 (Bus 6 注入站)");
  EXPECT_EQ(line.moreDirections[0].stops[0].name, "汽车总站");
  EXPECT_EQ(Lines::ReadLineFile(data / "beijing" / "7lu.txt").stops.size(), 1u);
  for (const std::string relation : {"14", "15", "16"})
    EXPECT_EQ(std::ranges::count_if(report.notes,
                                    [&](const std::string& note) {
                                      return note.starts_with("relation " + relation + ": ref") &&
                                             note.ends_with("cannot name a line");
                                    }),
              1)
        << relation;
}

// Two cities of one spelling never take each other's lines: the second is
// refused, naming the first, until imported under a pinyin of its own (and
// typing it finds the first still) or told to take the folder over. Either
// script finds a city; killed imports' folders go; `remove` takes a city's
// folders and links and nothing else; a file in the city's place is refused.
TEST(ImportLines, KeepsCitiesOfOneSpellingApart) {
  const fs::path data = Testing::ScratchFolder();
  const auto import = [&](const std::string& city, std::optional<std::string> pinyin = {},
                          bool replace = false) {
    return Osm::ImportLines({.source = kCityExtract,
                             .city = city,
                             .pinyin = std::move(pinyin),
                             .dataFolder = data,
                             .replace = replace},
                            [](double) {});
  };
  fs::create_directories(data / ".taizhou.import-999999999" / "x");
  fs::create_directories(data / ".taizhou.import-1");  // init's: still running
  import("泰州");
  EXPECT_FALSE(fs::exists(data / ".taizhou.import-999999999"));
  EXPECT_TRUE(fs::exists(data / ".taizhou.import-1"));
  try {
    import("台州");
    ADD_FAILURE() << "台州 took 泰州's folder";
  } catch (const Import::ImportError& refused) {
    EXPECT_NE(std::string(refused.what()).find("holds the lines of 泰州"), std::string::npos);
    EXPECT_NE(std::string(refused.what()).find("--pinyin"), std::string::npos);
  }
  const auto second = import(" 台州", "taizhoutz");
  EXPECT_EQ(ReadText(data / "taizhou" / ".city"), "泰州\n");  // typing 台州 still finds 泰州
  EXPECT_FALSE(fs::is_symlink(data / "taizhou"));
  EXPECT_NE(std::ranges::find(second.notes,
                              "\" 台州\" romanises to \"taizhou\", which holds other lines: type "
                              "taizhoutz to find these"),
            second.notes.end());
  EXPECT_EQ(Answer(data, "/taizhoutz/xianlu/K5lu/").status, 200);
  import("臺北");
  import("台北市");  // the same city: its lines replace the earlier ones
  EXPECT_EQ(ReadText(data / "taibei" / ".city"), "台北市\n");
  fs::copy(data / "taibei", data / "tb", fs::copy_options::recursive);  // by hand
  const std::string cities = Answer(data, "/").html;
  EXPECT_EQ(cities.find("台北市"), cities.rfind("台北市"));  // listed once
  import("尉氏县");
  import("尉氏");  // a county with and without its 县: one city
  EXPECT_EQ(ReadText(data / "weishi" / ".city"), "尉氏\n");
  import("泰州市", {}, false);  // the same city again
  import("台州", {}, true);     // taken over
  EXPECT_EQ(ReadText(data / "taizhou" / ".city"), "台州\n");
  EXPECT_FALSE(fs::exists(data / "taizhoutz"));  // 台州's earlier import, now in taizhou

  // A link made for a city's typed name leads to it, and goes with it.
  import("台州", "tz");
  EXPECT_EQ(fs::read_symlink(data / "taizhou"), "tz");
  EXPECT_EQ(Import::RemoveCity(data, "臺州").size(), 2u);
  EXPECT_FALSE(fs::exists(fs::symlink_status(data / "taizhou")));
  EXPECT_FALSE(fs::exists(data / "tz"));
  EXPECT_TRUE(fs::exists(data / "taibei"));
  EXPECT_TRUE(Import::RemoveCity(data, "泰州").empty());

  std::ofstream(data / "qingdao") << "不是线路\n";
  EXPECT_THROW(
      Osm::ImportLines({.source = kCityExtract, .city = "青岛", .dataFolder = data}, [](double) {}),
      Import::ImportError);
  EXPECT_EQ(ReadText(data / "qingdao"), "不是线路\n");
}

}  // namespace

namespace {

// Control characters of refs and names, C1 among them, become spaces: in
// file names, line files and the report. A line the site would refuse as too
// large is not written; the report names its relation.
// A county and the city of its stem are two places: an import or a removal
// touches only the place it names, and a name that could mean two is refused.
TEST(ImportLines, KeepsPlacesOfOneStemApart) {
  const fs::path data = Testing::ScratchFolder();
  const auto import = [&](const std::string& city, std::optional<std::string> pinyin = {}) {
    return Osm::ImportLines(
        {.source = kCityExtract, .city = city, .pinyin = std::move(pinyin), .dataFolder = data},
        [](double) {});
  };
  const auto city = [&](const std::string& folder) { return ReadText(data / folder / ".city"); };
  import("长沙市");
  EXPECT_THROW(import("长沙县"), Import::ImportError);  // changsha is 长沙市's
  const auto county = import("长沙县", "changshaxian");
  EXPECT_EQ(city("changsha"), "长沙市\n");
  EXPECT_EQ(city("changshaxian"), "长沙县\n");
  EXPECT_TRUE(std::ranges::none_of(
      county.notes, [](const std::string& note) { return note.starts_with("removed"); }));
  import("长沙", "cs");  // the city by its bare name: its earlier folder goes
  EXPECT_EQ(fs::read_symlink(data / "changsha"), "cs");
  EXPECT_EQ(city("changshaxian"), "长沙县\n");

  import("衡阳");
  import("衡阳县", "hengyangxian");
  EXPECT_EQ(Import::RemoveCity(data, "衡阳县"), (std::vector<fs::path>{data / "hengyangxian"}));
  EXPECT_EQ(city("hengyang"), "衡阳\n");

  import("吉林省", "jilinsheng");  // typing 吉林省 (jilin) finds it
  EXPECT_THROW(import("吉林"), Import::ImportError);
  import("吉林", "jilinshi");
  EXPECT_EQ(city("jilinsheng"), "吉林省\n");
  EXPECT_EQ(city("jilinshi"), "吉林\n");

  // A bare name and the one county of its stem are one place where nothing
  // else of that stem is there; with a league of that stem too, the bare name
  // could mean either.
  import("尉氏县");
  import("尉氏");
  EXPECT_EQ(city("weishi"), "尉氏\n");
  EXPECT_EQ(Import::RemoveCity(data, "尉氏县"), (std::vector<fs::path>{data / "weishi"}));
  import("阿拉善县", "alashanxian");
  import("阿拉善盟", "alashanmeng");
  try {
    Import::RemoveCity(data, "阿拉善");
    ADD_FAILURE() << "阿拉善 removed one of two";
  } catch (const Import::ImportError& refused) {
    EXPECT_NE(std::string(refused.what()).find("could mean"), std::string::npos);
    EXPECT_NE(std::string(refused.what()).find("阿拉善县"), std::string::npos);
    EXPECT_NE(std::string(refused.what()).find("阿拉善盟"), std::string::npos);
  }
  EXPECT_TRUE(fs::exists(data / "alashanxian"));
  EXPECT_TRUE(fs::exists(data / "alashanmeng"));

  // What a removal that was killed left goes with the next import or removal.
  fs::create_directories(data / ".hangzhou.remove-999999999" / "x");
  fs::create_directories(data / ".hangzhou.remove-1");  // init's: still running
  Import::RemoveCity(data, "衡阳");
  EXPECT_FALSE(fs::exists(data / ".hangzhou.remove-999999999"));
  EXPECT_TRUE(fs::exists(data / ".hangzhou.remove-1"));
}

// An extract is read by what it holds, whatever its name.
TEST(ImportLines, ReadsAnExtractByWhatItHolds) {
  const fs::path scratch = Testing::ScratchFolder();
  fs::copy_file(kCityExtract, scratch / "city.zip");
  const auto report = Osm::ImportLines(
      {.source = scratch / "city.zip", .city = "北京", .dataFolder = scratch / "data"},
      [](double) {});
  EXPECT_EQ(report.busLines, 2u);
  std::ofstream(scratch / "notes.osm") << "not an extract\n";
  try {
    Osm::ImportLines(
        {.source = scratch / "notes.osm", .city = "北京", .dataFolder = scratch / "data"},
        [](double) {});
    ADD_FAILURE() << "imported notes";
  } catch (const Import::ImportError& refused) {
    EXPECT_NE(std::string(refused.what()).find("neither an OpenStreetMap extract"),
              std::string::npos);
  }
}

TEST(ImportLines, WritesNoControlCharacterAndNoLineTheSiteWouldRefuse) {
  const fs::path folder = Testing::ScratchFolder();
  std::string huge = "<relation id='61' version='1'>";
  for (int i = 0; i < 80'000; ++i)
    huge += "<member type='node' ref='" + std::to_string(1 + i % 2) + "' role='platform'/>";
  huge += "<tag k='type' v='route'/><tag k='route' v='bus'/><tag k='ref' v='8'/></relation>\n";
  const fs::path extract = WriteExtract(
      folder,
      "<node id='11' lat='39.9' lon='116.1' version='1'><tag k='highway' v='bus_stop'/>"
      "<tag k='name' v='甲&#133;乙'/></node>\n" +
          Route(60, "7&#155;2J", {11, 2}) + huge);
  const fs::path data = folder / "data";
  const Import::ImportReport report =
      Osm::ImportLines({.source = extract, .city = "北京", .dataFolder = data}, [](double) {});
  EXPECT_EQ(report.busLines, 1u);
  EXPECT_TRUE(fs::exists(data / "beijing" / "7 2Jlu.txt"));
  EXPECT_EQ(Lines::ReadLineFile(data / "beijing" / "7 2Jlu.txt").stops[0].name, "甲 乙");
  EXPECT_FALSE(fs::exists(data / "beijing" / "8lu.txt"));
  EXPECT_NE(std::ranges::find_if(report.notes,
                                 [](const std::string& note) {
                                   return note.starts_with("relation 61: line 8 is over");
                                 }),
            report.notes.end());
  for (const auto& entry : fs::directory_iterator(data / "beijing"))
    EXPECT_EQ(entry.path().filename().string().find("\xc2\x9b"), std::string::npos);
}

}  // namespace

namespace {

std::string Master(int id, const std::string& ref, const std::vector<int>& routes) {
  std::string xml = "<relation id='" + std::to_string(id) + "' version='1'>";
  for (const int route : routes)
    xml += "<member type='relation' ref='" + std::to_string(route) + "' role=''/>";
  return xml + "<tag k='type' v='route_master'/><tag k='ref' v='" + ref + "'/></relation>\n";
}

// Lines as riders name them: a branch (232副 under 232) is a line of its
// own, an operator's prefix (C.A.M. 6 under 6) a direction of the master's;
// titles by language as stop names are; refs shown as mapped.
TEST(ImportLines, NamesLinesAsRidersDo) {
  const fs::path folder = Testing::ScratchFolder();
  std::string titled = Route(53, "Daxing Airport", {5, 6});
  titled.insert(titled.find("</relation>"),
                "<tag k='name' v='Subway Line 2'/><tag k='name:zh' v='北京地铁2号线'/>");
  const fs::path extract =
      WriteExtract(folder, Route(50, "232", {1, 2}) + Route(51, "232副", {1, 3}) +
                               Route(52, "C.A.M. 6", {4, 5}) + Route(54, "6", {5, 4}) + titled +
                               Master(60, "232", {50, 51}) + Master(61, "6", {52, 54}));
  const fs::path data = folder / "data";
  const auto report =
      Osm::ImportLines({.source = extract, .city = "北京", .dataFolder = data}, [](double) {});
  EXPECT_EQ(report.busLines, 4u);  // 232, 232副, 6, Daxing Airport
  EXPECT_EQ(Lines::ReadLineFile(data / "beijing" / "232副lu.txt").stops[1].name, "站3");
  EXPECT_EQ(Lines::ReadLineFile(data / "beijing" / "6lu.txt").moreDirections.size(), 1u);
  const Lines::LineFile airport = Lines::ReadLineFile(data / "beijing" / "DAXING AIRPORTlu.txt");
  EXPECT_EQ(airport.title, "北京地铁2号线");
  EXPECT_EQ(airport.ref, "Daxing Airport");
  EXPECT_EQ(Query::ReadGuidePage(Answer(data, "/beijing/xianlu/").html).items,
            (Names{"232 公交：站1 → 站2", "232副 公交：站1 → 站3", "6 公交：站4 → 站5",
                   "「Daxing Airport」 公交：站5 → 站6"}));
}

}  // namespace
