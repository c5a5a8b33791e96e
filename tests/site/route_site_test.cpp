#include "site/route_site.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "query/station_list.h"
#include "site/line_address.h"
#include "site/line_file.h"
#include "site/site_server.h"
#include "tests/support/raw_server.h"
#include "web/text_codec.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kSampleData = RIDELON_SITE_DATA;

// A data folder of the test's own (ctest runs tests side by side), emptied first.
class RouteSiteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data =
        fs::path(::testing::TempDir()) /
        ("ridelon-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(data);
    fs::create_directories(data / "jinan");
  }
  void Write(const fs::path& relative, const std::string& text) {
    std::ofstream(data / relative, std::ios::binary) << text;
  }
  Site::Response Answer(std::string_view path) {
    return Site::RouteSite({data}, [this](std::string_view line) { logged += line; }).Answer(path);
  }
  fs::path data;
  std::string logged;
};

// A city is Latin letters; a line ends in lu or ludianche and holds no
// separator or control character. Addresses and files map both ways.
TEST(LineAddress, MapsLineAddressesToFilesAndBack) {
  EXPECT_EQ(Site::LineFileName("/jinan/xianlu/K55lu/"), fs::path("jinan/K55lu.txt"));
  for (const char* address :
       {"/jinan/xianlu/K55lu/", "/Zz/xianlu/103ludianche/", "/az/xianlu/旅游 1lu/"}) {
    const auto file = Site::LineFileName(address);
    ASSERT_TRUE(file) << address;
    EXPECT_EQ(Site::LineAddress(*file), address);
  }
  EXPECT_FALSE(Site::LineFileName("/jinan/xianlu/K55/"));
  for (const char* file : {"jinan/K55.txt", "jin4n/K55lu.txt", "jinan/K55lu.md", "jinan/.K55lu.txt",
                           "K55lu.txt", "jinan/a/K55lu.txt", "jinan/K\x01lu.txt"})
    EXPECT_FALSE(Site::LineAddress(file)) << file;
}

TEST(RouteSite, AnswersOnlyLineAddressesOfExistingFiles) {
  Site::RouteSite site({kSampleData}, [](std::string_view) {});
  EXPECT_EQ(site.Answer("/jinan/xianlu/K55lu/").status, 200);
  EXPECT_EQ(site.Answer("/beijing/xianlu/103ludianche/").status, 200);
  for (const char* path :
       {"/jinan/xianlu/K55ludianche/", "/jinan/xianlu/k55lu/", "/jinan/xianlu/K55lu",
        "/jinan/K55lu/", "/", "", "/jinan/xianlu/lu/", "/jinan/xianlu/../../README.mdlu/",
        "/../jinan/xianlu/K55lu/", "/jinan/xianlu/../jinan/K55lu/", "/jinan/xianlu/.K55lu/",
        "/jin4n/xianlu/K55lu/", "/jinan/xianlu/K\00155lu/"})
    EXPECT_EQ(site.Answer(path).status, 404) << path;
}

TEST_F(RouteSiteTest, KeepsStopNamesFromForgingTheRecordMarkers) {
  Write("jinan/1lu.txt", "东'}]}站\n西\\门\t1,2\n");
  const std::string page = Answer("/jinan/xianlu/1lu/").body;
  EXPECT_NE(page.find("{name:'东\\'   站',strlatlon:''},{name:'西\\\\门'"), std::string::npos)
      << page;
  const auto stations = Query::ExtractStationList(Web::FromUtf8(page));
  EXPECT_EQ(stations.stops, u"东站——西门—");  // the last dash is the comma in "1,2"
}

// Odd but valid files serve; files that cannot be served answer 500 and say
// why in the log; nothing outside the data folder is served.
TEST_F(RouteSiteTest, ServesOnlyReadableRegularFilesInsideTheDataFolder) {
  Write("jinan/1lu.txt", "#\n东站\n");
  const auto bare = Answer("/jinan/xianlu/1lu/");
  EXPECT_EQ(bare.status, 200);
  EXPECT_NE(bare.body.find("<title>1lu</title>"), std::string::npos);

  Write("jinan/2lu.txt", std::string(Site::kMaxLineFileBytes, 'x'));
  EXPECT_EQ(Answer("/jinan/xianlu/2lu/").status, 200);  // the largest served
  Write("jinan/2lu.txt", std::string(Site::kMaxLineFileBytes + 1, 'x'));
  EXPECT_EQ(Answer("/jinan/xianlu/2lu/").status, 500);
  EXPECT_NE(logged.find("2lu.txt is over"), std::string::npos) << logged;

  const fs::path outside = fs::path(::testing::TempDir()) / "ridelon-outside.txt";
  std::ofstream(outside) << "秘密\n";
  fs::create_symlink(outside, data / "jinan" / "3lu.txt");
  EXPECT_EQ(Answer("/jinan/xianlu/3lu/").status, 404);
  fs::create_directories(data / "jinan" / "4lu.txt");
  EXPECT_EQ(Answer("/jinan/xianlu/4lu/").status, 404);
  Write("jinan/real.txt", "东站\n");
  fs::create_symlink("real.txt", data / "jinan" / "5lu.txt");
  EXPECT_EQ(Answer("/jinan/xianlu/5lu/").status, 200);
}

TEST_F(RouteSiteTest, RebuildsAPageWhenItsFileChangesAndForgetsItWhenItGoes) {
  Site::RouteSite site({data}, [](std::string_view) {});
  Write("jinan/1lu.txt", "东站\n");
  EXPECT_NE(site.Answer("/jinan/xianlu/1lu/").body.find("东站"), std::string::npos);
  Write("jinan/1lu.txt", "西门\n");
  EXPECT_NE(site.Answer("/jinan/xianlu/1lu/").body.find("西门"), std::string::npos);
  fs::remove(data / "jinan" / "1lu.txt");
  EXPECT_EQ(site.Answer("/jinan/xianlu/1lu/").status, 404);
}

// Under hostile clients: slow ones hold no one up, bodies are refused, byte
// ranges are not served, and the log cannot be forged.
TEST_F(RouteSiteTest, HoldsUpUnderHostileClients) {
  Write("jinan/1lu.txt", "东站\n西门\n");
  int logPipe[2] = {-1, -1};
  ASSERT_EQ(::pipe(logPipe), 0);
  {
    Site::AccessLog log(logPipe[1]);
    Site::SiteServer server({"127.0.0.1", 0, {data}, 2}, log);
    std::vector<int> slow;
    for (int i = 0; i < 64; ++i) {  // each sends the start of a request, then nothing
      slow.push_back(Testing::RawServer::Connect(server.Port()));
      Testing::RawServer::Send(slow.back(), "GET /jinan/xianlu/1lu/ HTTP/1.1\r\nHost: x");
    }
    const auto started = std::chrono::steady_clock::now();
    const auto page = Testing::RawServer::Exchange(
        server.Port(),
        "GET /jinan/xianlu/1lu/ HTTP/1.1\r\nHost: x\r\nRange: bytes=0-1,0-2\r\n"
        "Connection: close\r\n\r\n");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    EXPECT_TRUE(page.starts_with("HTTP/1.1 200")) << page;
    EXPECT_NE(page.find("西门"), std::string::npos);

    const auto posted = Testing::RawServer::Exchange(
        server.Port(),
        "POST /jinan/xianlu/1lu/ HTTP/1.1\r\nHost: x\r\nContent-Length: 419430400\r\n"
        "Connection: close\r\n\r\n" +
            std::string(8192, 'x'));
    EXPECT_TRUE(posted.starts_with("HTTP/1.1 413")) << posted;
    const auto small =
        Testing::RawServer::Exchange(server.Port(),
                                     "POST /jinan/xianlu/1lu/ HTTP/1.1\r\nHost: "
                                     "x\r\nContent-Length: 2\r\nConnection: close\r\n\r\nab");
    EXPECT_TRUE(small.starts_with("HTTP/1.1 405")) << small;  // GET and HEAD only

    Testing::RawServer::Exchange(server.Port(),
                                 "GET /jinan/%1b[31m%0d%0aGET%20/x HTTP/1.1\r\n"
                                 "Host: x\r\nConnection: close\r\n\r\n");
    for (const int socket : slow) ::close(socket);
  }
  ::close(logPipe[1]);
  std::string logged;
  char buffer[4096];
  for (ssize_t got; (got = ::read(logPipe[0], buffer, sizeof buffer)) > 0;)
    logged.append(buffer, got);
  ::close(logPipe[0]);
  EXPECT_NE(logged.find("GET /jinan/\\x1b[31m\\x0d\\x0aGET /x 404\n"), std::string::npos) << logged;
  EXPECT_EQ(logged.find('\x1b'), std::string::npos);
}

}  // namespace
