// The static export: what a second export leaves, links in the output, and
// city folders that cannot be read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "osm/line_export.h"

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
  EXPECT_EQ(report.pages, 6u);  // two lines, "/", the city's lines, two stops
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
  EXPECT_EQ(report.pages, 4u);
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

}  // namespace
