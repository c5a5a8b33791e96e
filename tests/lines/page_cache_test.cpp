#include "lines/page_cache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "lines/line_address.h"
#include "lines/line_file.h"
#include "query/station_list.h"
#include "web/text_codec.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSampleData = RIDELON_SITE_DATA;

// A data folder of the test's own (ctest runs tests side by side), emptied first.
class PageCacheTest : public ::testing::Test {
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
  Lines::Page Answer(std::string_view path) {
    return Lines::PageCache({data}, [this](std::string_view line) { logged += line; }).Answer(path);
  }
  fs::path data;
  std::string logged;
};

// A city is Latin letters; a line ends in lu or ludianche and holds no
// separator or control character. Addresses and files map both ways.
TEST(LineAddress, MapsLineAddressesToFilesAndBack) {
  EXPECT_EQ(Lines::LineFileName("/jinan/xianlu/K55lu/"), fs::path("jinan/K55lu.txt"));
  for (const char* address :
       {"/jinan/xianlu/K55lu/", "/Zz/xianlu/103ludianche/", "/az/xianlu/旅游 1lu/"}) {
    const auto file = Lines::LineFileName(address);
    ASSERT_TRUE(file) << address;
    EXPECT_EQ(Lines::LineAddress(*file), address);
  }
  EXPECT_FALSE(Lines::LineFileName("/jinan/xianlu/K55/"));
  for (const char* file : {"jinan/K55.txt", "jin4n/K55lu.txt", "jinan/K55lu.md", "jinan/.K55lu.txt",
                           "K55lu.txt", "jinan/a/K55lu.txt", "jinan/K\x01lu.txt"})
    EXPECT_FALSE(Lines::LineAddress(file)) << file;
}

TEST(PageCache, AnswersOnlyLineAddressesOfExistingFiles) {
  Lines::PageCache site({kSampleData}, [](std::string_view) {});
  EXPECT_EQ(site.Answer("/jinan/xianlu/K55lu/").status, 200);
  EXPECT_EQ(site.Answer("/beijing/xianlu/103ludianche/").status, 200);
  for (const char* path :
       {"/jinan/xianlu/K55ludianche/", "/jinan/xianlu/k55lu/", "/jinan/xianlu/K55lu",
        "/jinan/K55lu/", "/", "", "/jinan/xianlu/lu/", "/jinan/xianlu/../../README.mdlu/",
        "/../jinan/xianlu/K55lu/", "/jinan/xianlu/../jinan/K55lu/", "/jinan/xianlu/.K55lu/",
        "/jin4n/xianlu/K55lu/", "/jinan/xianlu/K\00155lu/"})
    EXPECT_EQ(site.Answer(path).status, 404) << path;
}

TEST_F(PageCacheTest, KeepsStopNamesFromForgingTheRecordMarkers) {
  Write("jinan/1lu.txt", "东'}]}站\n西\\门\t1,2\n");
  const std::string page = Answer("/jinan/xianlu/1lu/").html;
  EXPECT_NE(page.find("{name:'东\\'   站',strlatlon:''},{name:'西\\\\门'"), std::string::npos)
      << page;
  const auto stations = Query::ExtractStationList(Web::FromUtf8(page));
  EXPECT_EQ(stations.stops, u"东站——西门—");  // the last dash is the comma in "1,2"

  // A bracket or a brace alone ends no record and no list.
  for (const char* name : {"甲]乙", "甲}乙", "甲]}乙"}) {
    Write("jinan/2lu.txt", std::string(name) + "\n丙\n");
    EXPECT_EQ(Query::ExtractStationList(Web::FromUtf8(Answer("/jinan/xianlu/2lu/").html)).stops,
              u"甲乙——丙")
        << name;
  }
}

// Odd but valid files serve; files that cannot be served answer 500 and say
// why in the log; nothing outside the data folder is served.
TEST_F(PageCacheTest, ServesOnlyReadableRegularFilesInsideTheDataFolder) {
  Write("jinan/1lu.txt", "#\n东站\n");
  const auto bare = Answer("/jinan/xianlu/1lu/");
  EXPECT_EQ(bare.status, 200);
  EXPECT_NE(bare.html.find("<title>1lu</title>"), std::string::npos);

  Write("jinan/2lu.txt", std::string(Lines::kMaxLineFileBytes, 'x'));
  EXPECT_EQ(Answer("/jinan/xianlu/2lu/").status, 200);  // the largest served
  Write("jinan/2lu.txt", std::string(Lines::kMaxLineFileBytes + 1, 'x'));
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

TEST_F(PageCacheTest, RebuildsAPageWhenItsFileChangesAndForgetsItWhenItGoes) {
  Lines::PageCache site({data}, [](std::string_view) {});
  Write("jinan/1lu.txt", "东站\n");
  EXPECT_NE(site.Answer("/jinan/xianlu/1lu/").html.find("东站"), std::string::npos);
  Write("jinan/1lu.txt", "西门\n");
  EXPECT_NE(site.Answer("/jinan/xianlu/1lu/").html.find("西门"), std::string::npos);
  fs::remove(data / "jinan" / "1lu.txt");
  EXPECT_EQ(site.Answer("/jinan/xianlu/1lu/").status, 404);
}

}  // namespace
