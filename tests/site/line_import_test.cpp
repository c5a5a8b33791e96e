// Lines imported from OpenStreetMap, checked as the window would show them
// (ridelon-cli query against the imported data), and pages exported as static
// files, checked through a real nginx.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <osmium/io/any_input.hpp>
#include <osmium/io/any_output.hpp>
#include <thread>

#include "query/station_list.h"
#include "site/access_log.h"
#include "site/site_server.h"
#include "tests/support/raw_server.h"
#include "tests/support/run_program.h"
#include "web/fetch_text.h"
#include "web/text_codec.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class LineImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // ctest runs tests side by side: a folder each.
    folder =
        fs::path(::testing::TempDir()) /
        ("ridelon-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    xml = folder / "city.osm";
    fs::copy_file(RIDELON_TEST_DATA "/city.osm", xml);
    // The default data folder is the user's, which the queries read too.
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
    unsetenv("RIDELON_ROUTE_SERVICE_BASE");
  }
  void TearDown() override { fs::remove_all(folder); }

  // The extract in another format, written by libosmium.
  fs::path Converted(const std::string& suffix = ".osm.pbf") {
    const fs::path pbf = folder / ("city" + suffix);
    osmium::io::Reader reader(xml.string());
    osmium::io::Writer writer(pbf.string());
    while (osmium::memory::Buffer buffer = reader.read()) writer(std::move(buffer));
    writer.close();
    reader.close();
    return pbf;
  }

  static Testing::ProgramResult Import(const std::vector<std::string>& args) {
    return Testing::RunProgram(RIDELON_SITE, args);
  }

  // What the window shows for the line, or the not-found text.
  static std::string Stops(const std::string& city, const std::string& line,
                           bool trolleybus = false) {
    std::vector<std::string> args = {"query", city, line};
    if (trolleybus) args.insert(args.begin() + 1, "--trolleybus");
    const auto result = Testing::RunProgram(RIDELON_CLI, args);
    return result.exitCode == 0 ? result.out.substr(0, result.out.size() - 1) : "not found";
  }

  fs::path folder;
  fs::path xml;
};

TEST_F(LineImportTest, ImportsXmlPbfAndCompressedXmlAsTheWindowShowsThem) {
  for (const fs::path& extract : {xml, Converted(), Converted(".osm.bz2")}) {
    const auto imported = Import({"import", extract.string(), "--city", "北京"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_NE(imported.out.find("北京: 2 bus and 1 trolleybus lines"), std::string::npos)
        << imported.out;
    EXPECT_NE(imported.out.find("relation 23: ref \"2/3\""), std::string::npos);
    EXPECT_NE(imported.out.find("bus 1: 2 routes share the ref"), std::string::npos);
    EXPECT_NE(imported.out.find("without a name, left out: 1\n"), std::string::npos);

    EXPECT_EQ(Stops("北京", "1"), "西站——中街——东站") << extract;
    EXPECT_EQ(Stops("北京", "1", true), "北门——南门——广场");
    EXPECT_EQ(Stops("北京", "K5"), "南门——北门");
    EXPECT_EQ(Stops("北京", "2/3"), "not found");
    // Only the page's variant is shown; the others stay in the file.
    std::ifstream file(folder / "ridelon" / "site" / "beijing" / "1lu.txt");
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    EXPECT_NE(text.find("# 1路\n"), std::string::npos) << text;
    EXPECT_NE(text.find("relation 21"), std::string::npos);
    EXPECT_NE(text.find("relation 25"), std::string::npos);
  }
}

// Bad input ends with one line and status 2, and the lines imported before
// stay exactly as they were.
TEST_F(LineImportTest, BadInputLeavesTheDataFolderAsItWas) {
  const fs::path pbf = Converted();
  ASSERT_EQ(Import({"import", pbf.string(), "--city", "北京"}).exitCode, 0);
  const fs::path truncated = folder / "truncated.osm.pbf";
  fs::copy_file(pbf, truncated);
  fs::resize_file(truncated, fs::file_size(pbf) * 2 / 3);
  const fs::path text = folder / "notes.osm";
  std::ofstream(text) << "bus 1: west to east\n";

  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"import", truncated.string(), "--city", "北京"}, "cannot read"},
      {{"import", text.string(), "--city", "北京"}, "cannot read"},
      {{"import", (folder / "missing.osm").string(), "--city", "北京"}, "cannot read"},
      {{"import", xml.string(), "--city", "圳"}, "--pinyin"},
      {{"import", xml.string(), "--city", "北京", "--pinyin", "bei jing"}, "Latin letters"},
      {{"import", xml.string()}, "--city is required"},
  };
  for (const auto& [args, reason] : cases) {
    const auto refused = Import(args);
    EXPECT_EQ(refused.exitCode, 2) << args[1];
    EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
    EXPECT_NE(refused.err.find(reason), std::string::npos) << refused.err;
  }
  EXPECT_EQ(Stops("北京", "1"), "西站——中街——东站");
  std::vector<std::string> entries;
  for (const auto& entry : fs::directory_iterator(folder / "ridelon" / "site"))
    entries.push_back(entry.path().filename().string());
  EXPECT_EQ(entries, std::vector<std::string>{"beijing"});  // nothing half-written beside it

  // A city the romanisation leaves out is filed under the pinyin given.
  ASSERT_EQ(Import({"import", xml.string(), "--city", "圳", "--pinyin", "shenzhen"}).exitCode, 0);
  EXPECT_EQ(Stops("shenzhen", "1"), "西站——中街——东站");
}

// The exported pages, served by nginx, give the same stops as ridelon-site
// serving the same data.
TEST(LineExport, NginxServesTheSameStopsAsTheSite) {
  const fs::path nginx = "/usr/sbin/nginx";
  if (!fs::exists(nginx)) GTEST_SKIP() << "nginx is not installed (Debian: nginx-light)";
  const fs::path folder = fs::path(::testing::TempDir()) / "ridelon-export";
  fs::remove_all(folder);
  const fs::path www = folder / "www";
  const auto exported = Testing::RunProgram(
      RIDELON_SITE, {"export", "--data", RIDELON_SITE_DATA, "--out", www.string()});
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  EXPECT_NE(exported.out.find("6 line pages"), std::string::npos) << exported.out;

  const int port = Testing::RawServer::UnusedPort();
  std::ofstream(folder / "nginx.conf")
      << "daemon off; worker_processes 1; pid " << (folder / "nginx.pid").string() << ";\n"
      << "events {}\nhttp { access_log off; client_body_temp_path " << folder.string() << ";\n"
      << "  server { listen 127.0.0.1:" << port << "; root " << www.string() << "; } }\n";
  const auto server = Testing::StartProgram(
      nginx, {"-e", (folder / "error.log").string(), "-c", (folder / "nginx.conf").string()});
  for (int attempt = 0; attempt < 100; ++attempt) {  // until it listens
    try {
      ::close(Testing::RawServer::Connect(port));
      break;
    } catch (const std::runtime_error&) {
      std::this_thread::sleep_for(50ms);
    }
  }

  Site::AccessLog log(STDERR_FILENO);
  Site::SiteServer::Options options;
  options.dataDirs = {RIDELON_SITE_DATA};
  Site::SiteServer site(options, log);
  const auto stopsAt = [](int at, const std::string& address) {
    const auto fetched =
        Web::FetchText(Web::FromUtf8("http://127.0.0.1:" + std::to_string(at) + address), "UTF-8");
    const auto* page = std::get_if<std::u16string>(&fetched.result);
    return page ? Query::ExtractStationList(*page).stops : u"(no page)";
  };
  int compared = 0;
  for (const auto& entry : fs::recursive_directory_iterator(www)) {
    if (entry.path().filename() != "index.html") continue;
    const std::string address =
        "/" + entry.path().parent_path().lexically_relative(www).string() + "/";
    const std::u16string stops = stopsAt(site.Port(), address);
    EXPECT_FALSE(stops.empty()) << address;
    EXPECT_EQ(stopsAt(port, address), stops) << address;
    ++compared;
  }
  EXPECT_EQ(compared, 6);
  kill(server.pid, SIGTERM);
  Testing::Wait(server);
  fs::remove_all(folder);
}

}  // namespace
