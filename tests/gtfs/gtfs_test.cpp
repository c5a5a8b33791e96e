// The GTFS import on a small made-up feed (tests/gtfs/data/feed): two
// agencies, bus and trolleybus lines and a tram to leave out, a line split
// over two routes, two directions with a short-turn pattern, a loop, a
// platform without a name under its station, translations, frequencies and a
// time past 24:00, against answers worked out by hand; its CSV reading; and
// every kind of bad feed.
#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "front/page_cache.h"
#include "gtfs/csv_reader.h"
#include "gtfs/feed_files.h"
#include "gtfs/feed_import.h"
#include "lines/line_file.h"
#include "query/guide_query.h"
#include "tests/support/scratch_folder.h"

namespace {

namespace fs = std::filesystem;

const fs::path kFeed = fs::path(RIDELON_GTFS_DATA) / "feed";

std::string ReadText(const fs::path& file) {
  std::ostringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  return text.str();
}

// The files of a folder, by name.
std::map<std::string, std::string> Files(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder))
    files[entry.path().filename().string()] = ReadText(entry.path());
  return files;
}

// `folder`'s files as a zip archive.
fs::path Zipped(const fs::path& folder, const fs::path& archive) {
  int error = 0;
  zip_t* zip = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  for (const auto& entry : fs::directory_iterator(folder))
    zip_file_add(zip, entry.path().filename().c_str(),
                 zip_source_file(zip, entry.path().c_str(), 0, -1), ZIP_FL_OVERWRITE);
  EXPECT_EQ(zip_close(zip), 0);
  return archive;
}

Import::ImportReport ImportInto(const fs::path& feed, const fs::path& data) {
  return Gtfs::ImportFeed({.source = feed, .city = "香港", .dataFolder = data});
}

std::vector<std::string> Records(const std::string& text) {
  Gtfs::CsvReader reader(
      "test.txt", [text, at = std::size_t{0}](char* buffer, std::size_t size) mutable {
        const std::size_t count =
            std::min<std::size_t>(3, std::min(size, text.size() - at));  // small reads
        text.copy(buffer, count, at);
        at += count;
        return count;
      });
  std::vector<std::string> records;
  while (reader.Next())
    records.push_back(std::string(reader.Field(0)) + "|" + std::string(reader.Field(1)));
  return records;
}

// A feed folder made of `files` (name, text), with one stop time per trip of
// trips.txt unless given.
fs::path MadeFeed(const fs::path& folder, const std::map<std::string, std::string>& files) {
  fs::create_directories(folder);
  for (const auto& [name, text] : files) std::ofstream(folder / name, std::ios::binary) << text;
  return folder;
}

// A zip's bytes with every `from` written as `to` (of the same length): how an
// archive that lies is made.
void Patch(const fs::path& archive, std::string_view from, std::string_view to) {
  std::string bytes = ReadText(archive);
  for (std::size_t at; (at = bytes.find(from)) != bytes.npos;) bytes.replace(at, from.size(), to);
  std::ofstream(archive, std::ios::binary) << bytes;
}

std::string Refusal(const fs::path& feed, const fs::path& data) {
  try {
    ImportInto(feed, data);
  } catch (const Import::ImportError& error) {
    return error.what();
  }
  return "imported";
}

// RFC 4180: quoted fields with commas, line ends and doubled quotes; CRLF or
// LF; a byte-order mark before the header; reads of any size.
TEST(CsvReader, ReadsWhatRfc4180Writes) {
  EXPECT_EQ(Records("\xEF\xBB\xBF"
                    "a,b\r\n1,\"x, y\"\r\n\"2\"\"\",\"line\nend\"\n\n3,\n"),
            (std::vector<std::string>{"1|x, y", "2\"|line\nend", "3|"}));
  Gtfs::CsvReader header("h.txt", [done = false](char* buffer, std::size_t) mutable {
    if (done) return std::size_t{0};
    done = true;
    return std::string_view("\xEF\xBB\xBFstop_id, stop_name\n").copy(buffer, 25);
  });
  EXPECT_EQ(header.Column("stop_id"), 0u);
  EXPECT_EQ(header.Column("stop_name"), 1u);  // trimmed
  EXPECT_FALSE(header.Column("stop_lat"));
}

// A quote inside an unquoted field is text and never joins two rows; a field
// or a record past its cap is refused where it is.
TEST(CsvReader, TakesAStrayQuoteAsTextAndCapsFieldsAndRecords) {
  EXPECT_EQ(Records("a,b\nS1,5\"东\nS2,西\"站\n\"q\"x\",y\n"),
            (std::vector<std::string>{"S1|5\"东", "S2|西\"站", "qx\"|y"}));
  const std::string field(Gtfs::CsvReader::kMaxFieldBytes, 'x');
  EXPECT_EQ(Records("a,b\n" + field + ",1\n"), (std::vector<std::string>{field + "|1"}));
  const auto refusal = [](const std::string& text) {
    try {
      Records(text);
    } catch (const Import::ImportError& error) {
      return std::string(error.what());
    }
    return std::string("read");
  };
  EXPECT_EQ(refusal("a,b\n1,2\n" + field + "x,1\n"), "test.txt:3: a field over 65536 bytes");
  EXPECT_EQ(refusal("a,b\n\"" + field + "x\",1\n"), "test.txt:2: a field over 65536 bytes");
  std::string record;
  for (int i = 0; i < 17; ++i) record += field + ",";
  EXPECT_EQ(refusal("a,b\n" + record + "\n"), "test.txt:2: a record over 1048576 bytes");
  EXPECT_EQ(refusal("a,b\n\"" + record + "\"\n"), "test.txt:2: a record over 1048576 bytes");
}

// The feed as worked out by hand: which lines, their directions and stops in
// order, the times at each stop (frequencies, past 24:00, per visit of a
// loop), names by translation and from the station, the credit, the report.
TEST(ImportFeed, WritesTheLinesWorkedOutByHand) {
  const fs::path scratch = Testing::ScratchFolder();
  const fs::path data = scratch / "data";
  const Import::ImportReport report = ImportInto(kFeed, data);
  EXPECT_EQ(report.busLines, 2u);
  EXPECT_EQ(report.trolleybusLines, 1u);
  EXPECT_EQ(report.counts, (std::vector<std::pair<std::string, std::size_t>>{
                               {"routes of route_type 0, left out", 1},
                               {"rows that refer to what the feed does not hold, skipped", 2}}));
  const fs::path city = data / "xianggang";
  EXPECT_EQ(Files(city).size(), 4u);  // .city and three lines

  const Lines::LineFile one = Lines::ReadLineFile(city / "1lu.txt");
  EXPECT_EQ(one.title, "1 中环—铜锣湾");
  EXPECT_EQ(one.source, "城巴、电车公司、示例交通局");
  const auto stops = [](const Lines::LineFile::Stops& stops) {
    std::vector<std::string> rows;
    for (const auto& stop : stops)
      rows.push_back(stop.name + "|" + stop.location + "|" + stop.times);
    return rows;
  };
  // Direction 0 of R1: the pattern of T1 and T2, T3's short turn a comment;
  // T2 every 10 minutes 06:00–06:50; T1 past midnight.
  EXPECT_EQ(stops(one.stops),
            (std::vector<std::string>{
                "中环|114.15|22.28|06:00-23:50", "金钟, 东|114.165|22.279|06:05-23:55",
                "湾仔|114.173|22.277|06:10-24:00", "铜锣湾 \"北\"|114.184|22.28|06:20-24:10"}));
  ASSERT_EQ(one.moreDirections.size(), 2u);  // R1's direction 1, then R2's
  EXPECT_EQ(one.moreDirections[0].note, "GTFS route R1 direction 1");
  EXPECT_EQ(stops(one.moreDirections[0].stops).front(), "铜锣湾 \"北\"|114.184|22.28|09:00-09:00");
  EXPECT_EQ(stops(one.moreDirections[1].stops),
            (std::vector<std::string>{"中环|114.15|22.28|12:00-12:00",
                                      "铜锣湾 \"北\"|114.184|22.28|12:30-12:30"}));
  EXPECT_NE(ReadText(city / "1lu.txt").find("# also runs, 1 trips: 中环 → 湾仔, 3 stops"),
            std::string::npos);

  const Lines::LineFile loop = Lines::ReadLineFile(city / "环线lu.txt");
  EXPECT_EQ(stops(loop.stops).front(), "山顶|114.15|22.27|07:00-07:00");
  EXPECT_EQ(stops(loop.stops).back(), "山顶|114.15|22.27|07:30-07:30");  // the second visit
  const Lines::LineFile trolleybus = Lines::ReadLineFile(city / "T5ludianche.txt");
  EXPECT_EQ(trolleybus.stops.front().name, "中环站");  // the platform's station

  // Shown to riders: each direction's first and last bus, and at a stop.
  Front::PageCache pages({data}, [](std::string_view) {});
  const std::string page = pages.Answer("/xianggang/xianlu/1lu/").html;
  EXPECT_NE(page.find("首班 06:00 · 末班 23:50（各服务日合计）"), std::string::npos);
  EXPECT_NE(page.find("线路数据来源：城巴、电车公司、示例交通局"), std::string::npos);
  EXPECT_EQ(Query::ReadGuidePage(pages.Answer(Lines::StopPath("xianggang", "湾仔")).html).items,
            (std::vector<std::string>{"1 公交：中环 → 铜锣湾 \"北\"，首班 06:10 · 末班 次日 00:00",
                                      "1 公交：铜锣湾 \"北\" → 中环，首班 09:10 · 末班 09:10"}));

  // The same feed zipped gives the same files.
  const fs::path zipped = scratch / "zipped";
  fs::create_directories(zipped);
  ImportInto(Zipped(kFeed, zipped / "feed.zip"), zipped / "data");
  EXPECT_EQ(Files(zipped / "data" / "xianggang"), Files(city));
  EXPECT_TRUE(Gtfs::IsFeed(zipped / "feed.zip"));
  EXPECT_TRUE(Gtfs::IsFeed(kFeed));
  EXPECT_FALSE(Gtfs::IsFeed(kFeed / "stops.txt"));
}

// Without direction_id, trips go by their ends, and the page is the direction
// with most trips, of as many the first in the file.
TEST(ImportFeed, GroupsTripsByTheirEndsWithoutDirectionIds) {
  const fs::path scratch = Testing::ScratchFolder();
  fs::copy(kFeed, scratch / "feed");
  std::ofstream(scratch / "feed" / "trips.txt")
      << "route_id,service_id,trip_id\nR1,WK,T4\nR1,WK,T1\nR1,WK,T3\nR3,WK,T6\nR4,WK,T7\n";
  ImportInto(scratch / "feed", scratch / "data");
  const Lines::LineFile one = Lines::ReadLineFile(scratch / "data" / "xianggang" / "1lu.txt");
  EXPECT_EQ(one.stops.front().name, "铜锣湾 \"北\"");  // T4's, first of three with one trip
  ASSERT_EQ(one.moreDirections.size(), 2u);            // T1's and T3's, by their ends
  EXPECT_EQ(one.moreDirections[1].stops.back().name, "湾仔");
}

// Every fault ends with one line naming the file and line, and the city's
// earlier lines as they were.
TEST(ImportFeed, RefusesBadFeedsNamingTheFileAndLine) {
  const fs::path scratch = Testing::ScratchFolder();
  const fs::path data = scratch / "data";
  ImportInto(kFeed, data);
  const std::string before = ReadText(data / "xianggang" / "1lu.txt");
  const auto refused = [&](const std::string& file, const std::string& text,
                           const std::string& why) {
    const fs::path feed = scratch / "bad";
    fs::remove_all(feed);
    fs::copy(kFeed, feed);
    if (text.empty())
      fs::remove(feed / file);
    else
      std::ofstream(feed / file, std::ios::binary) << text;
    try {
      ImportInto(feed, data);
      ADD_FAILURE() << "imported with " << why;
    } catch (const Import::ImportError& error) {
      EXPECT_NE(std::string(error.what()).find(why), std::string::npos) << error.what();
    }
    EXPECT_EQ(ReadText(data / "xianggang" / "1lu.txt"), before);
  };
  refused("trips.txt", "", "no trips.txt");
  refused("stops.txt", "stop_name\n甲\n", "stops.txt:1: no column stop_id");
  refused("stops.txt", "stop_id,stop_name\nS1,甲\nS2,乙,多\n",
          "stops.txt:3: 3 fields where the header has 2");
  refused("stops.txt", "stop_id,stop_name\nS1,\xff\n", "stops.txt:2: bytes that are not UTF-8");
  refused("stops.txt", "stop_id,stop_name\nS1,\"甲\n", "stops.txt:2: a quoted field is not closed");
  refused("stop_times.txt", "trip_id,departure_time,stop_id,stop_sequence\nT1,6:5:00,S1,1\n",
          "stop_times.txt:2: \"6:5:00\" is no time H:MM:SS");
  for (const char* time : {"06:60:00", "06:6a:00", "ab:00:00"})
    refused("stop_times.txt",
            "trip_id,departure_time,stop_id,stop_sequence\nT1," + std::string(time) + ",S1,1\n",
            "stop_times.txt:2: \"" + std::string(time) + "\" is no time H:MM:SS");
  refused("frequencies.txt", "trip_id,start_time,end_time,headway_secs\nT2,06:00:00,07:00:00,0\n",
          "frequencies.txt:2: headway_secs");
  for (const char* time : {"-1:00:00", "00:-1:00", "00:00:-1", "+1:00:00"})
    refused("stop_times.txt",
            "trip_id,departure_time,stop_id,stop_sequence\nT1," + std::string(time) + ",S1,1\n",
            "stop_times.txt:2: \"" + std::string(time) + "\" is no time H:MM:SS");
  // What a feed says reaches a terminal without its control characters.
  refused("stop_times.txt",
          "trip_id,departure_time,stop_id,stop_sequence\nT1,\x1b]0;x\x07\x1b[2J,S1,1\n",
          "stop_times.txt:2: \" ]0;x  [2J\" is no time H:MM:SS");
  // Rail only: what was left out is named.
  refused("routes.txt", "route_id,route_short_name,route_type\nR1,1,2\nR2,2,2\nR4,3,1\n",
          "no bus or trolleybus routes with trips in " + (scratch / "bad").string() +
              "; left out: 1 of route_type 1, 2 of route_type 2");

  std::ofstream(scratch / "notes.zip") << "not a zip\n";
  EXPECT_THROW(ImportInto(scratch / "notes.zip", data), Import::ImportError);
  // Ten megabytes of zeros pack to a few kilobytes: past a feed's ratio.
  const fs::path bomb = scratch / "bomb";
  fs::create_directories(bomb);
  std::ofstream(bomb / "stops.txt") << std::string(10 << 20, '0');
  try {
    ImportInto(Zipped(bomb, scratch / "bomb.zip"), data);
    ADD_FAILURE() << "unpacked a zip bomb";
  } catch (const Import::ImportError& error) {
    EXPECT_NE(std::string(error.what()).find("past what a feed holds"), std::string::npos);
  }
  EXPECT_EQ(ReadText(data / "xianggang" / "1lu.txt"), before);

  // Sizes that lie: stops.txt declared as 1,000 bytes; the bytes unpacked
  // are what count.
  const fs::path liar = scratch / "liar";
  fs::copy(kFeed, liar);
  std::string rows = "stop_id,stop_name\n";
  while (rows.size() < (10u << 20)) rows += "S1,0\n";
  std::ofstream(liar / "stops.txt") << rows;
  const auto littleEndian = [](std::uint32_t n) {
    return std::string{static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16),
                       static_cast<char>(n >> 24)};
  };
  Patch(Zipped(liar, scratch / "liar.zip"), littleEndian(static_cast<std::uint32_t>(rows.size())),
        littleEndian(1000));
  EXPECT_NE(Refusal(scratch / "liar.zip", data).find("stops.txt: the archive unpacks to more than"),
            std::string::npos);
  // Two entries of one name: which one is meant cannot be told.
  Patch(Zipped(kFeed, scratch / "twice.zip"), "trips.txt", "stops.txt");
  EXPECT_NE(Refusal(scratch / "twice.zip", data).find("two entries named \"stops.txt\""),
            std::string::npos);
  // A folder without stops.txt is a feed that lacks it.
  EXPECT_NE(Refusal(MadeFeed(scratch / "nostops", {{"routes.txt", "route_id\n"}}), data)
                .find("no stops.txt: not a GTFS feed"),
            std::string::npos);
  EXPECT_EQ(ReadText(data / "xianggang" / "1lu.txt"), before);
}

// Feeds as publishers zip them: in one folder, with empty optional files.
TEST(ImportFeed, ReadsFeedsAsTheyCome) {
  const fs::path scratch = Testing::ScratchFolder();
  const fs::path feed = scratch / "feed";
  fs::copy(kFeed, feed);
  // A headway window that ends where it starts gives no departure.
  std::ofstream(feed / "frequencies.txt", std::ios::app) << "T2,25:00:00,25:00:00,600\n";
  std::ofstream(feed / "feed_info.txt", std::ios::trunc).flush();
  std::ofstream(feed / "translations.txt", std::ios::trunc).flush();
  ImportInto(feed, scratch / "plain");
  EXPECT_EQ(Lines::ReadLineFile(scratch / "plain" / "xianggang" / "1lu.txt").stops.front().name,
            "Central");  // untranslated now
  // A publisher that is one of the agencies, or has no name, is not credited again.
  std::ofstream(feed / "feed_info.txt", std::ios::trunc)
      << "feed_publisher_name,feed_lang\n城巴,zh\n,zh\n";
  ImportInto(feed, scratch / "credited");
  const Lines::LineFile credited =
      Lines::ReadLineFile(scratch / "credited" / "xianggang" / "1lu.txt");
  EXPECT_EQ(credited.source, "城巴、电车公司");
  EXPECT_EQ(credited.stops.front().times, "06:00-23:50");

  int error = 0;
  zip_t* zip = zip_open((scratch / "inside.zip").c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  zip_dir_add(zip, "gtfs", 0);
  for (const auto& entry : fs::directory_iterator(feed))
    zip_file_add(zip, ("gtfs/" + entry.path().filename().string()).c_str(),
                 zip_source_file(zip, entry.path().c_str(), 0, -1), 0);
  ASSERT_EQ(zip_close(zip), 0);
  ImportInto(scratch / "inside.zip", scratch / "zipped");
  EXPECT_EQ(Files(scratch / "zipped" / "xianggang"), Files(scratch / "plain" / "xianggang"));
}

// Routes whose names make one file are one line, their routes its
// directions, and the report counts the files written; the work grows with
// the routes, not their square.
TEST(ImportFeed, WritesRoutesOfOneAddressAsOneLine) {
  const fs::path scratch = Testing::ScratchFolder();
  std::string routes = "route_id,route_short_name,route_type\n", trips = "route_id,trip_id\n",
              times = "trip_id,departure_time,stop_id,stop_sequence\n";
  const std::vector<std::string> names = {"k5", "K5", "5", "5路", "Ｋ６", "K6", "N", "N ", "a/b"};
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string id = "R" + std::to_string(i);
    routes += id + ",\"" + names[i] + "\",3\n";
    trips += id + ",T" + std::to_string(i) + "\n";
    for (std::size_t stop = 0; stop <= i; ++stop)  // each route's stops apart
      times += "T" + std::to_string(i) + ",06:00:00,S" + std::to_string(stop) + "," +
               std::to_string(stop) + "\n";
  }
  const fs::path feed = MadeFeed(
      scratch / "feed",
      {{"stops.txt",
        "stop_id,stop_name\nS0,甲\nS1,乙\nS2,丙\nS3,丁\nS4,戊\nS5,己\nS6,庚\nS7,辛\nS8,壬\n"},
       {"routes.txt", routes + "R\x1b[2J,x/y,3\n"},
       {"trips.txt", trips},
       {"stop_times.txt", times}});
  const Import::ImportReport report = ImportInto(feed, scratch / "data");
  const auto files = Files(scratch / "data" / "xianggang");
  EXPECT_EQ(report.busLines, 4u);
  EXPECT_EQ(files.size(), 5u);  // .city and K5, 5, K6, N
  for (const char* file : {"K5lu.txt", "5lu.txt", "K6lu.txt", "Nlu.txt"}) {
    ASSERT_TRUE(files.contains(file)) << file;
    EXPECT_EQ(Lines::ParseLineFile(files.at(file)).moreDirections.size(), 1u) << file;
  }
  // The two routes' stops apart, one of each, never spliced.
  const Lines::LineFile n = Lines::ParseLineFile(files.at("Nlu.txt"));
  EXPECT_EQ(n.stops.size() + n.moreDirections[0].stops.size(), 15u);
  EXPECT_EQ(report.notes, (std::vector<std::string>{"route R8: \"a/b\" cannot name a line",
                                                    "route R [2J: \"x/y\" cannot name a line"}));
}

}  // namespace
