#include <gtest/gtest.h>

#include <fstream>

#include "query/query_texts.h"
#include "query/route_service_base.h"
#include "tests/support/loopback_server.h"
#include "tests/support/run_program.h"

namespace {

using Testing::RunProgram;

Testing::ProgramResult Cli(const std::vector<std::string>& args, const std::string& input = "") {
  return RunProgram(RIDELON_CLI, args, input);
}

std::string Utf8(std::u16string_view text) { return Testing::ToUtf8ForTests(text); }

const std::string kBase = Utf8(Query::RouteServiceBase);
const std::string kWorkedExample =
    "x=[{name:'东站',strlatlon:'HRRRIJWVRGGIT12'},{name:'西门',strlatlon:'HRSAWGXVRFWSJ34'}]};";

TEST(Cli, RomanisesAndComposesAddresses) {
  EXPECT_EQ(Cli({"pinyin", "济南"}).out, "jinan\n");
  EXPECT_EQ(Cli({"url", "--trolleybus", "北京", "103"}).out,
            kBase + "beijing/xianlu/103ludianche/\n");
  EXPECT_EQ(Cli({"url", " 济南 ", " k55 "}).out, kBase + "jinan/xianlu/K55lu/\n");
  EXPECT_EQ(Cli({"url", "--base", "http://h/", "济南", "K55"}).out,
            "http://h/jinan/xianlu/K55lu/\n");
  EXPECT_EQ(Cli({"url", "--base=http://h/", "--trolleybus", "济南", " 1 "}).out,
            "http://h/jinan/xianlu/ 1 ludianche/\n");
}

TEST(Cli, TurnsInvalidUtf8IntoReplacementCharacters) {
  const auto result = Cli({"pinyin",
                           "a\xFF"
                           "b济"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "a?bji\n");  // U+FFFD has no code page 936 form: it counts as "?"
  const auto extract = Cli({"extract"}, "[{name:'东\xFF站'}]}");
  EXPECT_EQ(extract.exitCode, 0);
  EXPECT_EQ(extract.out, "东站\n");
}

TEST(Cli, ExtractsFromStandardInputOrAFile) {
  const auto found = Cli({"extract"}, kWorkedExample);
  EXPECT_EQ(found.exitCode, 0);
  EXPECT_EQ(found.out, "东站——西门\n");
  EXPECT_EQ(found.err, "");

  const std::string path = ::testing::TempDir() + "ridelon-page.html";
  std::ofstream(path) << "\xEF\xBB\xBF" << kWorkedExample;
  EXPECT_EQ(Cli({"extract", path}).out, "东站——西门\n");

  const auto missing = Cli({"extract"}, "<html>no stops</html>");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, Utf8(Query::kNotFoundText) + "\n");
}

TEST(Cli, RefusesUnusableCommandLinesWithExitStatus2) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"fly"},
                                             {"pinyin"},
                                             {"pinyin", "a", "b"},
                                             {"url", "济南"},
                                             {"url", "--bus", "济南", "1"},
                                             {"url", "--base"},
                                             {"extract", "/no/such/file"},
                                             {"query", " ", "K55"},
                                             {"query", "济南", "\u3000"},
                                             {"query", "--max-time", "soon", "济南", "1"}}) {
    const auto result = Cli(args);
    EXPECT_EQ(result.exitCode, 2) << (args.empty() ? "" : args[0]);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  }
  EXPECT_EQ(Cli({"query", " ", "K55"}).err, "ridelon-cli: " + Utf8(Query::kCityPrompt) + "\n");
}

TEST(Cli, AnswersHelpAndVersion) {
  EXPECT_EQ(Cli({"--version"}).out, "1.00\n");
  const auto help = Cli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("extract"), std::string::npos);
}

TEST(Cli, QueriesALoopbackSite) {
  Testing::LoopbackServer site;
  site.server().Get("/jinan/xianlu/K55lu/", [](const httplib::Request&, httplib::Response& r) {
    r.set_content(kWorkedExample, "text/html");
  });
  site.Start();

  const auto found = Cli({"query", "--base", site.Base(), "济南", "k55"});
  EXPECT_EQ(found.exitCode, 0);
  EXPECT_EQ(found.out, "东站——西门\n");
  EXPECT_EQ(found.err, Utf8(Query::kQueryingStatus) + "\n" + Utf8(Query::kFoundStatus) + "\n");

  const auto raw = Cli({"query", "--raw", "--base", site.Base(), "济南", "K55"});
  EXPECT_EQ(raw.out, kWorkedExample + "\n东站——西门\n");

  const auto missing = Cli({"query", "--trolleybus", "--base", site.Base(), "济南", "K55"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find(Utf8(Query::kNotFoundText)), std::string::npos);
}

}  // namespace
