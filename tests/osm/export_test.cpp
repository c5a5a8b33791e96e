// The static export: what a second export leaves, links in the output, city
// folders that cannot be read, folders it refuses to replace, and links that
// all lead to written pages.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "import/city_folder.h"
#include "lines/line_address.h"
#include "osm/line_export.h"
#include "tests/support/scratch_folder.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& file) {
  std::ostringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  return text.str();
}

TEST(ExportPages, ReplacesTheTreeWholeAndReportsWhatItCannotRead) {
  const fs::path scratch = fs::path(::testing::TempDir()) / "ridelon-export";
  fs::remove_all(scratch);
  const fs::path data = scratch / "data", out = scratch / "www";
  fs::create_directories(data / "jinan");
  std::ofstream(data / "jinan" / "1lu.txt") << "东站\n";
  std::ofstream(data / "jinan" / "2lu.txt") << "西门\n";
  const fs::path page1 = out / "jinan" / "xianlu" / "1lu" / "index.html";
  const fs::path page2 = out / "jinan" / "xianlu" / "2lu" / "index.html";
  Osm::ExportReport report = Osm::ExportPages({data}, out);
  EXPECT_EQ(report.pages, 11u);  // two lines, "/", the city's lines and data, two stops; the
                                 // stylesheet, script, search page and cities
  EXPECT_TRUE(report.problems.empty());
  EXPECT_NE(ReadText(page2).find("西门"), std::string::npos);
  EXPECT_NE(ReadText(out / "index.html").find("/jinan/xianlu/"), std::string::npos);
  EXPECT_NE(ReadText(out / "jinan" / "zhandian" / "西门" / "index.html").find("/jinan/xianlu/2lu/"),
            std::string::npos);

  // A line that is gone leaves no page; a link in the output is not written
  // through; a city folder that cannot be read is reported, the rest written.
  fs::remove(data / "jinan" / "2lu.txt");
  std::ofstream(scratch / "secret.txt") << "秘密\n";
  fs::remove(page1);
  fs::create_symlink(scratch / "secret.txt", page1);
  fs::create_directory_symlink("shanghai", data / "shanghai");  // a loop
  report = Osm::ExportPages({data}, out);
  EXPECT_EQ(report.pages, 9u);
  EXPECT_FALSE(fs::exists(page2));
  EXPECT_FALSE(fs::is_symlink(page1));
  EXPECT_NE(ReadText(page1).find("东站"), std::string::npos);
  EXPECT_EQ(ReadText(scratch / "secret.txt"), "秘密\n");
  ASSERT_EQ(report.problems.size(), 1u);
  EXPECT_TRUE(report.problems[0].starts_with("cannot read " + (data / "shanghai").string()))
      << report.problems[0];
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch), fs::directory_iterator()), 3);

  std::ofstream(scratch / "file") << "x";
  EXPECT_THROW(Osm::ExportPages({data}, scratch / "file"), std::runtime_error);
}

// An export never replaces a folder that holds lines: the data folder, one
// of its cities, a folder holding it, the user's own, reached by any path.
// "dir/" and "." name the folder they name.
TEST(ExportPages, RefusesToReplaceDataAndWritesWhereverElseItIsTold) {
  const fs::path scratch = Testing::ScratchFolder();
  const fs::path data = scratch / "share" / "data";
  fs::create_directories(data / "jinan");
  std::ofstream(data / "jinan" / "1lu.txt") << "东站\n西门\n";
  fs::create_directory_symlink(data / "jinan", scratch / "link");
  ::setenv("XDG_DATA_HOME", (scratch / "xdg").c_str(), 1);
  fs::create_directories(scratch / "xdg" / "ridelon" / "site");
  for (const fs::path& out :
       {data, data / "jinan", scratch / "share", scratch / "share" / "..", data / "jinan" / "..",
        scratch / "link" / "new", fs::path(data.string() + "/"), scratch / "xdg",
        scratch / "xdg" / "ridelon" / "site" / "beijing"})
    EXPECT_THROW(Osm::ExportPages({data}, out), Osm::ExportRefused) << out;
  EXPECT_TRUE(fs::exists(data / "jinan" / "1lu.txt"));

  // A link to the data folder is replaced itself, not what it leads to.
  fs::create_directory_symlink(data, scratch / "alias");
  EXPECT_EQ(Osm::ExportPages({data}, scratch / "alias").pages, 10u);
  EXPECT_TRUE(fs::exists(data / "jinan" / "1lu.txt"));
  EXPECT_FALSE(fs::is_symlink(scratch / "alias"));

  fs::create_directories(scratch / "www");
  EXPECT_EQ(Osm::ExportPages({data}, fs::path((scratch / "www").string() + "/")).pages, 10u);
  EXPECT_TRUE(fs::exists(scratch / "www" / "jinan" / "xianlu" / "1lu" / "index.html"));
  const fs::path here = fs::current_path();
  fs::create_directories(scratch / "dot");
  fs::current_path(scratch / "dot");
  const auto dot = Osm::ExportPages({data}, ".");
  fs::current_path(here);
  EXPECT_EQ(dot.pages, 10u);
  EXPECT_TRUE(fs::exists(scratch / "dot" / "index.html"));
}

// Every link of every exported page leads to an exported page, whatever the
// names hold: a ref with "%41", stops named ".", "..", "甲/乙路口", a city
// found under another name; a line file that cannot be read is reported.
TEST(ExportPages, WritesAPageForEveryLink) {
  const fs::path scratch = Testing::ScratchFolder();
  const fs::path data = scratch / "data", out = scratch / "www";
  fs::create_directories(data / "shenzhen");
  std::ofstream(data / "shenzhen" / ".city") << "深圳\n";
  std::ofstream(data / "shenzhen" / "%41lu.txt") << "# %41\n甲/乙路口\n.\n..\n丙\n";
  std::ofstream(data / "shenzhen" / "Alu.txt") << "丙\n丁\n";
  fs::create_directory_symlink("shenzhen", data / "shen");
  fs::create_symlink("nowhere.txt", data / "shenzhen" / "Blu.txt");  // dangling
  const Osm::ExportReport report = Osm::ExportPages({data}, out);
  // Both names: the city's lines and data, two lines, three stops with pages;
  // "/", the stylesheet, script, search page and cities.
  EXPECT_EQ(report.pages, 19u);
  EXPECT_EQ(report.stopsLeftOut, 4u);  // "." and ".." under both names
  ASSERT_EQ(report.problems.size(), 2u);
  EXPECT_NE(report.problems[0].find("Blu.txt is not a regular file"), std::string::npos);

  const std::regex href("href=\"([^\"]*)\"");
  std::set<std::string> links;
  for (const auto& entry : fs::recursive_directory_iterator(out)) {
    if (entry.path().filename() != "index.html") continue;
    const std::string page = ReadText(entry.path());
    for (std::sregex_iterator link(page.begin(), page.end(), href), end; link != end; ++link)
      links.insert((*link)[1]);
  }
  for (const std::string& link : links) {
    if (link.starts_with("https://")) continue;  // the data's credit
    const fs::path named = out / fs::u8path(Lines::PercentDecode(link.substr(1)));
    EXPECT_TRUE(fs::is_regular_file(link.ends_with('/') ? named / "index.html" : named)) << link;
  }
  EXPECT_TRUE(links.contains("/shenzhen/xianlu/%2541lu/"));
  EXPECT_TRUE(links.contains("/shen/zhandian/%E7%94%B2%2F%E4%B9%99%E8%B7%AF%E5%8F%A3/"));
  EXPECT_NE(
      ReadText(out / "shen" / "xianlu" / "%41lu" / "index.html").find("<li><bdi>..</bdi></li>"),
      std::string::npos);
}

// Cities removed while the export runs are reported like unreadable ones;
// the rest is written.
TEST(ExportPages, ReportsCitiesThatVanishMidExport) {
  const fs::path scratch = Testing::ScratchFolder();
  const fs::path data = scratch / "data", out = scratch / "www";
  constexpr int kCities = 60;
  const auto cityName = [](int i) {
    return "city" + std::string(1, static_cast<char>('a' + i % 26)) +
           std::string(1, static_cast<char>('a' + i / 26));
  };
  for (int i = 0; i < kCities; ++i) {
    fs::create_directories(data / cityName(i));
    for (int line = 0; line < 40; ++line)
      std::ofstream(data / cityName(i) / (std::to_string(line) + "lu.txt"))
          << "站" << line << "\n站" << line + 1 << "\n";
  }
  std::thread remover([&] {
    for (int i = 0; i < kCities; i += 2) fs::remove_all(data / cityName(i));
  });
  Osm::ExportReport report;
  EXPECT_NO_THROW(report = Osm::ExportPages({data}, out));
  remover.join();
  for (const std::string& problem : report.problems)
    EXPECT_TRUE(problem.starts_with("cannot")) << problem;
  // A folder listed while others go may be skipped (readdir promises nothing
  // then), but every city written is written whole.
  int written = 0;
  for (int i = 1; i < kCities; i += 2)
    if (fs::exists(out / cityName(i))) {
      ++written;
      EXPECT_TRUE(fs::exists(out / cityName(i) / "xianlu" / "39lu" / "index.html")) << cityName(i);
    }
  EXPECT_GE(written, kCities / 4);
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch), fs::directory_iterator()), 2);
}

// An export while a city is imported again and again writes each city as one
// import left it: every line page of a city from the same import.
TEST(ExportPages, WritesEachCityAsOneImportLeftIt) {
  const fs::path scratch = Testing::ScratchFolder();
  const fs::path data = scratch / "data";
  const auto lines = [](const std::string& version) {
    std::vector<Import::LineText> texts;
    texts.reserve(150);
    for (int line = 0; line < 150; ++line)
      texts.push_back({std::to_string(line) + "lu.txt", "站" + version + "\n终点\n"});
    return texts;
  };
  const auto a = lines("甲"), b = lines("乙");
  Import::WriteCityFolder(a, data, "hangzhou", "杭州");
  std::atomic<bool> exporting = true;
  std::thread importer([&] {
    for (int i = 0; exporting; ++i)
      Import::WriteCityFolder(i % 2 ? a : b, data, "hangzhou", "杭州");
  });
  for (int run = 0; run < 6; ++run) {
    const fs::path out = scratch / ("www" + std::to_string(run));
    const Osm::ExportReport report = Osm::ExportPages({data}, out);
    EXPECT_TRUE(report.problems.empty()) << report.problems.front();
    std::set<bool> versions;
    for (int line = 0; line < 150; ++line)
      versions.insert(
          ReadText(out / "hangzhou" / "xianlu" / (std::to_string(line) + "lu") / "index.html")
              .find("站甲") != std::string::npos);
    EXPECT_EQ(versions.size(), 1u) << "run " << run;
  }
  exporting = false;
  importer.join();
}

// A page whose place another page's file holds is reported; every other page
// is written.
TEST(ExportPages, ReportsAPageItCannotPlaceAndWritesTheRest) {
  const fs::path scratch = Testing::ScratchFolder();
  const fs::path data = scratch / "data", out = scratch / "www";
  fs::create_directories(data / "suzhou");
  std::ofstream(data / "suzhou" / "1lu.txt") << "x\nx/index.html\n丙\n";
  const Osm::ExportReport report = Osm::ExportPages({data}, out);
  ASSERT_EQ(report.problems.size(), 1u);
  EXPECT_TRUE(
      report.problems[0].starts_with("cannot write the page of /suzhou/zhandian/x/index.html/"))
      << report.problems[0];
  EXPECT_TRUE(fs::exists(out / "suzhou" / "xianlu" / "1lu" / "index.html"));
  EXPECT_TRUE(fs::exists(out / "suzhou" / "zhandian" / "丙" / "index.html"));
  EXPECT_TRUE(fs::exists(out / "suzhou" / "zhandian" / "x" / "index.html"));
}

}  // namespace
