#include "site/route_site.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "query/query_url.h"
#include "query/station_list.h"
#include "tests/support/loopback_server.h"
#include "tests/support/raw_server.h"
#include "tests/support/run_program.h"
#include "web/fetch_text.h"
#include "web/text_codec.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kSampleData = RIDELON_SITE_DATA;

struct SampleLine {
  std::string city;
  std::string line;
  Query::VehicleKind kind;
  std::string expected;  // the stops of the file, as the extraction lists them
};

// Reads every sample file the way a person would: one stop per line.
std::vector<SampleLine> SampleLines() {
  std::vector<SampleLine> lines;
  for (const auto& entry : fs::recursive_directory_iterator(kSampleData)) {
    if (entry.path().extension() != ".txt") continue;
    std::string name = entry.path().stem().string();
    const bool trolleybus = name.ends_with("ludianche");
    name.resize(name.size() - (trolleybus ? 9 : 2));
    std::ifstream in(entry.path());
    std::string row, expected;
    while (std::getline(in, row)) {
      if (row.empty() || row[0] == '#') continue;
      expected += (expected.empty() ? "" : "——") + row.substr(0, row.find('\t'));
    }
    lines.push_back({entry.path().parent_path().filename().string(), name,
                     trolleybus ? Query::VehicleKind::Trolleybus : Query::VehicleKind::Bus,
                     expected});
  }
  return lines;
}

std::u16string Utf16(const std::string& utf8) { return Web::FromUtf8(utf8); }

TEST(RouteSite, ServesEverySampleLineInTheShapeTheExtractionReads) {
  Testing::LoopbackServer server;
  const Site::RouteSite site(kSampleData);
  site.Mount(server.server());
  server.Start();

  const auto lines = SampleLines();
  ASSERT_GE(lines.size(), 6u);
  for (const SampleLine& sample : lines) {
    const std::u16string url = Query::ComposeQueryUrl(sample.kind, u"", Utf16(sample.line),
                                                      Utf16(server.Base() + sample.city));
    const auto fetched = Web::FetchText(url, "UTF-8");
    const auto* page = std::get_if<std::u16string>(&fetched.result);
    ASSERT_NE(page, nullptr) << sample.city << "/" << sample.line;
    EXPECT_NE(page->find(u"示例数据"), std::u16string::npos);
    const auto stations = Query::ExtractStationList(*page);
    EXPECT_TRUE(stations.found);
    EXPECT_EQ(stations.stops, Utf16(sample.expected)) << sample.city << "/" << sample.line;
  }
}

TEST(RouteSite, AnswersOnlyLineAddressesOfExistingFiles) {
  const Site::RouteSite site(kSampleData);
  EXPECT_TRUE(site.PageFor("/jinan/xianlu/K55lu/"));
  EXPECT_TRUE(site.PageFor("/beijing/xianlu/103ludianche/"));
  for (const char* path :
       {"/jinan/xianlu/K55ludianche/", "/jinan/xianlu/k55lu/", "/jinan/xianlu/K55lu",
        "/jinan/K55lu/", "/", "", "/jinan/xianlu/lu/", "/jinan/xianlu/../../README.mdlu/",
        "/../jinan/xianlu/K55lu/", "/jinan/xianlu/../jinan/K55lu/", "/jinan/xianlu/.K55lu/"})
    EXPECT_FALSE(site.PageFor(path)) << path;
}

TEST(RouteSite, KeepsStopNamesFromForgingTheRecordMarkers) {
  const fs::path data = fs::path(::testing::TempDir()) / "ridelon-site-data";
  fs::create_directories(data / "jinan");
  std::ofstream(data / "jinan" / "1lu.txt") << "东'}]}站\n西门\t1,2\n";
  const auto page = Site::RouteSite(data).PageFor("/jinan/xianlu/1lu/");
  ASSERT_TRUE(page);
  const auto stations = Query::ExtractStationList(Utf16(*page));
  EXPECT_EQ(stations.stops, u"东站——西门—");  // the last dash is the comma in "1,2"
}

// The real program: serves, logs each request, refuses a taken port, and
// stops cleanly on SIGTERM.
TEST(RouteSiteProgram, ServesLogsAndStops) {
  const std::string port = std::to_string(Testing::RawServer::UnusedPort());
  const auto site =
      Testing::StartProgram(RIDELON_SITE, {"--port", port, "--data", kSampleData.string()});

  const std::string base = "http://127.0.0.1:" + port + "/";
  Testing::ProgramResult query;
  for (int attempt = 0; attempt < 100; ++attempt) {  // until it listens
    query = Testing::RunProgram(RIDELON_CLI, {"query", "--base", base, "济南", "K55"});
    if (query.exitCode == 0) break;
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_EQ(query.exitCode, 0) << query.err;
  EXPECT_TRUE(query.out.starts_with("济南火车站——经四纬二——")) << query.out;

  const auto second = Testing::RunProgram(RIDELON_SITE, {"--port", port});
  EXPECT_EQ(second.exitCode, 3);
  EXPECT_NE(second.err.find(port), std::string::npos);

  ASSERT_EQ(kill(site.pid, SIGTERM), 0);
  const auto stopped = Testing::Wait(site);
  EXPECT_EQ(stopped.exitCode, 0);
  EXPECT_NE(stopped.out.find("GET /jinan/xianlu/K55lu/ 200"), std::string::npos) << stopped.out;
}

}  // namespace
