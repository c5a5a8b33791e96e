#include "front/page_cache.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "lines/data_folders.h"
#include "lines/line_address.h"
#include "lines/line_file.h"
#include "query/station_list.h"
#include "tests/support/scratch_folder.h"
#include "web/text_codec.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSampleData = RIDELON_SITE_DATA;

// A data folder of the test's own.
class PageCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data = Testing::ScratchFolder();
    fs::create_directories(data / "jinan");
  }
  void Write(const fs::path& relative, const std::string& text) {
    std::ofstream(data / relative, std::ios::binary) << text;
  }
  Front::Page Answer(std::string_view path) {
    return Front::PageCache({data}, [this](std::string_view line) { logged += line; }).Answer(path);
  }
  fs::path data;
  std::string logged;
};

// A city is Latin letters; a line ends in lu or ludianche and holds no
// separator or control character. Addresses and files map both ways.
TEST(LineAddress, MapsLineAddressesToFilesAndBack) {
  EXPECT_EQ(Lines::LineFileName("/jinan/xianlu/K55lu/"), fs::path("jinan/K55lu.txt"));
  for (const char* address : {"/jinan/xianlu/K55lu/", "/Zz/xianlu/103ludianche/",
                              "/az/xianlu/旅游 1lu/", "/az/xianlu/K\xc2\xa0\x31lu/"}) {
    const auto file = Lines::LineFileName(address);
    ASSERT_TRUE(file) << address;
    EXPECT_EQ(Lines::LineAddress(*file), address);
  }
  EXPECT_FALSE(Lines::LineFileName("/jinan/xianlu/K55/"));
  for (const char* file : {"jinan/K55.txt", "jin4n/K55lu.txt", "jinan/K55lu.md", "jinan/.K55lu.txt",
                           "K55lu.txt", "jinan/a/K55lu.txt", "jinan/K\x01lu.txt",
                           "jinan/7\xc2\x9b\x32Jlu.txt", "jinan/K\x7flu.txt"})
    EXPECT_FALSE(Lines::LineAddress(file)) << file;
}

// What a path asks for, by its shape: segments decoded, a stop holding "/".
TEST(LineAddress, ParsesEveryKindOfAddressAndNothingElse) {
  using Kind = Lines::Address::Kind;
  EXPECT_EQ(Lines::ParseAddress("/").kind, Kind::Cities);
  EXPECT_EQ(Lines::ParseAddress("/jinan/xianlu/").kind, Kind::CityLines);
  EXPECT_EQ(Lines::ParseAddress("/jinan/xianlu/K55lu/").kind, Kind::Line);
  const auto stop = Lines::ParseAddress("/jinan/zhandian/%E4%B8%9C%2f%e7%ab%99/");
  EXPECT_EQ(stop.kind, Kind::Stop);
  EXPECT_EQ(stop.stop, "东/站");
  // Composed, a stop keeps what needs no escape as it is: the shortest link.
  EXPECT_EQ(Lines::StopPath("jinan", "K5-a.b_c~ 东/"), "/jinan/zhandian/K5-a.b_c~%20%E4%B8%9C%2F/");
  const auto ways = Lines::ParseAddress(Lines::TransferPath("jinan", "东站", "西 门"));
  EXPECT_EQ(ways.kind, Kind::Transfer);
  EXPECT_EQ(std::tie(ways.city, ways.stop, ways.to), std::tie("jinan", "东站", "西 门"));
  for (const char* other :
       {"", "//", "jinan/xianlu/", "/jinan/xianlu", "/jin4n/xianlu/", "/jinan/zhandian/",
        "/jinan/zhandian//", "/jinan/huancheng/a/", "/jinan/huancheng/a/b/c/", "/jinan/other/a/"})
    EXPECT_EQ(Lines::ParseAddress(other).kind, Kind::Other) << other;
}

// The user's lines go under $XDG_DATA_HOME when it is absolute, else under
// the home folder: $HOME, or the password database's when HOME is unset.
TEST(DataFolders, TheUsersFolderFollowsTheEnvironment) {
  ::setenv("XDG_DATA_HOME", "/data", 1);
  EXPECT_EQ(Lines::UserDataFolder(), fs::path("/data/ridelon/site"));
  ::setenv("XDG_DATA_HOME", "relative", 1);  // invalid: ignored
  ::setenv("HOME", "/home/rider", 1);
  EXPECT_EQ(Lines::UserDataFolder(), fs::path("/home/rider/.local/share/ridelon/site"));
  ::unsetenv("HOME");
  const passwd* user = getpwuid(getuid());
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(Lines::UserDataFolder(), fs::path(user->pw_dir) / ".local/share/ridelon/site");
}

// %XX in either case is its byte; a "%" without two hex digits stays.
TEST(LineAddress, DecodesPercentEscapesAndNothingElse) {
  EXPECT_EQ(Lines::PercentDecode("%4a%4A%30%7e%09"), "JJ0~\t");
  EXPECT_EQ(Lines::PercentDecode("%G0%0G%g1%%41%4"), "%G0%0G%g1%A%4");
}

TEST(PageCache, AnswersOnlyLineAddressesOfExistingFiles) {
  Front::PageCache site({kSampleData}, [](std::string_view) {});
  EXPECT_EQ(site.Answer("/jinan/xianlu/K55lu/").status, 200);
  EXPECT_EQ(site.Answer("/beijing/xianlu/103ludianche/").status, 200);
  for (const char* path :
       {"/jinan/xianlu/K55ludianche/", "/jinan/xianlu/k55lu/", "/jinan/xianlu/K55lu",
        "/jinan/K55lu/", "", "/jinan/xianlu/lu/", "/jinan/xianlu/../../README.mdlu/",
        "/../jinan/xianlu/K55lu/", "/jinan/xianlu/../jinan/K55lu/", "/jinan/xianlu/.K55lu/",
        "/jin4n/xianlu/K55lu/", "/jinan/xianlu/K\00155lu/"})
    EXPECT_EQ(site.Answer(path).status, 404) << path;
}

// Names hold digits, Latin letters, spaces and punctuation: the records
// carry them in display form, which the extraction keeps whole, one stop per
// name; the list shown on the page keeps them as they are.
TEST_F(PageCacheTest, ShowsEveryStopNameWholeThroughTheExtraction) {
  const std::pair<const char*, std::u16string_view> names[] = {
      {"地铁4号线北宫门", u"地铁４号线北宫门"},
      {"798艺术区", u"７９８艺术区"},
      {"首都机场T3航站楼", u"首都机场Ｔ３航站楼"},
      {"五道口,东", u"五道口，东"},
      {"Princesse Stéphanie", u"Ｐｒｉｎｃｅｓｓｅ　Ｓｔéｐｈａｎｉｅ"},
      {"Émile-Zola (Nord)", u"Ｅｍｉｌｅ－Ｚｏｌａ　（Ｎｏｒｄ）"},
      {"东'}]}站\\", u"东＇｝］｝站＼"},
      {"甲]乙", u"甲］乙"},
      {"[{name:'丙'}]}", u"［｛ｎａｍｅ：＇丙＇｝］｝"},
      {"甲——乙", u"甲－－乙"},  // the separator's dashes: still one stop
  };
  std::string file;
  std::u16string expected;
  for (const auto& [name, shown] : names) {
    file += std::string(name) + "\t116.3|39.9\n";
    expected += (expected.empty() ? u"" : u"——") + std::u16string(shown);
  }
  Write("jinan/1lu.txt", file);
  const std::string page = Answer("/jinan/xianlu/1lu/").html;
  EXPECT_EQ(Query::ExtractStationList(Web::FromUtf8(page)).stops, expected) << page;
  EXPECT_NE(page.find("><bdi>五道口,东</bdi></a></li>"), std::string::npos) << page;
  EXPECT_NE(page.find("><bdi>Princesse Stéphanie</bdi></a></li>"), std::string::npos) << page;
  EXPECT_NE(page.find("strlatlon:'116.3|39.9'"), std::string::npos) << page;
}

// A hand-written file is read by the import's rules: control characters are
// spaces, "\#" starts a stop named with "#", and neither a location nor times
// show in the records.
TEST_F(PageCacheTest, ReadsHandWrittenFilesByTheFileRules) {
  Write("jinan/1lu.txt",
        "# 1路\x1b[31m\n\\#3号门\n\\\\站\n甲\x01乙\x7f丙\xc2\x85丁\n戊\t1,2\t东站'}]}\n# 注释站\n");
  const Lines::LineFile line = Lines::ReadLineFile(data / "jinan" / "1lu.txt");
  EXPECT_EQ(line.title, "1路 [31m");
  ASSERT_EQ(line.stops.size(), 4u);
  EXPECT_EQ(line.stops[0].name, "#3号门");
  EXPECT_EQ(line.stops[1].name, "\\站");
  EXPECT_EQ(line.stops[2].name, "甲 乙 丙 丁");
  EXPECT_EQ(line.stops[3].location, "1,2");  // a third field is the times there
  EXPECT_EQ(line.stops[3].times, "东站'}]}");
  EXPECT_EQ(Query::ExtractStationList(Web::FromUtf8(Answer("/jinan/xianlu/1lu/").html)).stops,
            u"＃３号门——＼站——甲　乙　丙　丁——戊");

  // A character of the same lead byte that is no control stays: 丙£ is not 丙 .
  EXPECT_EQ(Lines::WithoutControls("丙£\xc2\x9f§"), "丙£ §");

  // What the writer writes reads back the same, whatever the names hold.
  const Lines::LineFile hostile{"标题\n注入站",
                                {{"#井", ""}, {"\\斜", "1|2"}, {"甲\n乙\t丙", "3|4"}, {"", ""}}};
  const Lines::LineFile read = Lines::ParseLineFile(Lines::LineFileText(hostile, {"说明\n注入站"}));
  EXPECT_EQ(read.title, "标题 注入站");
  ASSERT_EQ(read.stops.size(), 4u);
  EXPECT_EQ(read.stops[0].name, "#井");
  EXPECT_EQ(read.stops[1].name, "\\斜");
  EXPECT_EQ(read.stops[1].location, "1|2");
  EXPECT_EQ(read.stops[2].name, "甲 乙 丙");
  EXPECT_EQ(read.stops[2].location, "3|4");
  EXPECT_EQ(read.stops[3].name, "");
}

// Odd but valid files serve; files that cannot be served answer 500 and say
// why in the log; nothing outside the data folder is served.
TEST_F(PageCacheTest, ServesOnlyReadableRegularFilesInsideTheDataFolder) {
  Write("jinan/1lu.txt", "#\n东站\n");
  const auto bare = Answer("/jinan/xianlu/1lu/");
  EXPECT_EQ(bare.status, 200);
  EXPECT_NE(bare.html.find("\u20681lu\u2069</title>"), std::string::npos);  // after the city

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

// The first data folder with a folder for a city has all of that city's
// lines: once the user has the city, its sample lines are gone, at once,
// however often they were asked for before.
TEST_F(PageCacheTest, TheUsersCityReplacesItsSampleLinesAtOnce) {
  fs::create_directories(data / "sample" / "jinan");
  fs::create_directories(data / "sample" / "beijing");
  Write("sample/jinan/K55lu.txt", "示例站\n");
  Write("sample/jinan/1lu.txt", "示例站\n");
  Write("sample/beijing/1lu.txt", "北京站\n");
  Front::PageCache pages({data / "user", data / "sample"}, [](std::string_view) {});
  for (int i = 0; i < 3; ++i) EXPECT_EQ(pages.Answer("/jinan/xianlu/K55lu/").status, 200);
  EXPECT_NE(pages.Answer("/jinan/xianlu/1lu/").html.find("示例站"), std::string::npos);

  fs::create_directories(data / "user" / "jinan");
  Write("user/jinan/1lu.txt", "用户站\n");
  EXPECT_EQ(pages.Answer("/jinan/xianlu/K55lu/").status, 404);
  EXPECT_NE(pages.Answer("/jinan/xianlu/1lu/").html.find("用户站"), std::string::npos);
  EXPECT_EQ(pages.Answer("/beijing/xianlu/1lu/").status, 200);  // other cities as they were

  fs::remove_all(data / "user" / "jinan");
  EXPECT_NE(pages.Answer("/jinan/xianlu/1lu/").html.find("示例站"), std::string::npos);
  EXPECT_EQ(pages.Answer("/jinan/xianlu/K55lu/").status, 200);
}

TEST_F(PageCacheTest, RebuildsAPageWhenItsFileChangesAndForgetsItWhenItGoes) {
  Front::PageCache site({data}, [](std::string_view) {});
  Write("jinan/1lu.txt", "东站\n");
  EXPECT_NE(site.Answer("/jinan/xianlu/1lu/").html.find("东站"), std::string::npos);
  Write("jinan/1lu.txt", "西门\n");
  EXPECT_NE(site.Answer("/jinan/xianlu/1lu/").html.find("西门"), std::string::npos);
  fs::remove(data / "jinan" / "1lu.txt");
  EXPECT_EQ(site.Answer("/jinan/xianlu/1lu/").status, 404);
}

}  // namespace

namespace {

// Every spelling of an address (letters as %XX, in either case) is one page
// kept; guide pages kept stay within their budget however many are asked.
TEST_F(PageCacheTest, KeepsOnePagePerMeaningWithinTheBudget) {
  Write("jinan/K55lu.txt", "东站\n西门\n");
  Front::PageCache pages({data}, [](std::string_view) {});
  const std::string stop = Lines::StopPath("jinan", "东站");  // %E4%B8%9C%E7%AB%99
  ASSERT_EQ(pages.Answer("/jinan/xianlu/K55lu/").status, 200);
  ASSERT_EQ(pages.Answer(stop).status, 200);
  const std::size_t kept = pages.KeptBytes();
  for (const char* spelling :
       {"/%6Ainan/xianlu/K55lu/", "/jinan/xianlu/%4b55lu/", "/jinan/%78ianlu/K%355%6cu/",
        "/jinan/zhandian/%e4%b8%9c%e7%ab%99/", "/%6a%69nan/zhandian/%E4%B8%9C%E7%AB%99/",
        "/jinan/zhandian/\xe4\xb8\x9c%E7%AB%99/"})
    ASSERT_EQ(pages.Answer(spelling).status, 200) << spelling;
  EXPECT_EQ(pages.KeptBytes(), kept);

  // Each piece of a name that 2,000 stops share asks for a page of 2,000
  // suggestions: some 80 MB of pages in all.
  const std::u16string shared = u"甲乙丙丁戊己庚辛壬癸子丑寅卯辰巳午未申酉";
  std::string many;
  for (int i = 0; i < 2000; ++i) many += Web::ToUtf8(shared) + std::to_string(i) + "\n";
  Write("jinan/1lu.txt", many);
  std::size_t most = 0;
  for (std::size_t from = 0; from < shared.size(); ++from)
    for (std::size_t length = 1; from + length <= shared.size(); ++length) {
      const auto piece = Web::ToUtf8(shared.substr(from, length));
      ASSERT_EQ(pages.Answer(Lines::StopPath("jinan", piece)).status, 404);
      most = std::max(most, pages.GuideBytes());
    }
  EXPECT_GT(most, Front::PageCache::kMaxGuideBytes / 2);
  EXPECT_LE(most, Front::PageCache::kMaxGuideBytes);
}

// A .city that is a FIFO, or a link out of the data folder, is not read: the
// city goes by its pinyin, and nothing waits.
TEST_F(PageCacheTest, ReadsTheCityNameOnlyFromASmallRegularFileInside) {
  Write("jinan/1lu.txt", "东站\n");
  ASSERT_EQ(::mkfifo((data / "jinan" / ".city").c_str(), 0600), 0);
  Front::PageCache pages({data}, [](std::string_view) {});
  EXPECT_EQ(pages.City("jinan")->Name(), "jinan");
  fs::remove(data / "jinan" / ".city");
  const fs::path outside = data.parent_path() / (data.filename().string() + "-secret");
  std::ofstream(outside) << "秘密\n";
  fs::create_symlink(outside, data / "jinan" / ".city");
  EXPECT_EQ(Front::PageCache({data}, {}).City("jinan")->Name(), "jinan");
  fs::remove(data / "jinan" / ".city");
  Write("jinan/.city", "济南\n" + std::string(4096 - 7, 'x'));  // 4 KiB: read
  EXPECT_EQ(Front::PageCache({data}, {}).City("jinan")->Name(), "济南");
  Write("jinan/.city", "济南\n" + std::string(4096 - 6, 'x'));  // a byte more: not
  EXPECT_EQ(Front::PageCache({data}, {}).City("jinan")->Name(), "jinan");
  Write("jinan/.city", "济南\n");
  EXPECT_EQ(Front::PageCache({data}, {}).City("jinan")->Name(), "济南");
}

}  // namespace
