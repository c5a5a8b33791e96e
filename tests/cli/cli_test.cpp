// ridelon-cli in-process, through its declared commands and string streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "cli/commands.h"
#include "query/query_texts.h"
#include "ridelon/version.h"
#include "tests/support/raw_server.h"
#include "tests/support/run_program.h"
#include "web/text_codec.h"

namespace {

struct Result {
  int exitCode;
  std::string out;
  std::string err;
};

// The whole of a temporary file, which it closes.
std::string TextOf(std::FILE* file) {
  std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
  std::rewind(file);
  text.resize(std::fread(text.data(), 1, text.size(), file));
  std::fclose(file);
  return text;
}

Result Cli(const std::vector<std::string>& args, const std::string& input = "") {
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  std::fwrite(input.data(), 1, input.size(), in);
  std::rewind(in);
  const int exitCode = CommandLine::Run(Cli::RidelonCli(), args,
                                        {in, CommandLine::Output(out), CommandLine::Output(err)});
  std::fclose(in);
  return {exitCode, TextOf(out), TextOf(err)};
}

std::string Utf8(std::u16string_view text) { return Web::ToUtf8(text); }

const std::string kWorkedExample =
    "x=[{name:'东站',strlatlon:'HRRRIJWVRGGIT12'},{name:'西门',strlatlon:'HRSAWGXVRFWSJ34'}]};";

TEST(Cli, RomanisesAndComposesAddresses) {
  EXPECT_EQ(Cli({"pinyin", "济南"}).out, "jinan\n");
  EXPECT_EQ(Cli({"pinyin",
                 "a\xFF"
                 "b济"})
                .out,
            "a?bji\n");  // U+FFFD counts as "?"
  EXPECT_EQ(Cli({"url", "--trolleybus", "北京", "103"}).out, "/beijing/xianlu/103ludianche/\n");
  EXPECT_EQ(Cli({"url", " 济南 ", " k55 "}).out, "/jinan/xianlu/K55lu/\n");
  EXPECT_EQ(Cli({"url", "--base", "http://h/", "--", "济南", "-1"}).out,
            "http://h/jinan/xianlu/-1lu/\n");
  // The address is printed as composed: "#" and "?" are encoded only on the wire.
  EXPECT_EQ(Cli({"url", "--base=http://h/", "--trolleybus", "济南", " 1#?"}).out,
            "http://h/jinan/xianlu/ 1#?ludianche/\n");
}

TEST(Cli, ExtractsFromStandardInputOrAFile) {
  const auto found = Cli({"extract"}, kWorkedExample);
  EXPECT_EQ(found.exitCode, 0);
  EXPECT_EQ(found.out, "东站——西门\n");
  EXPECT_EQ(found.err, "");
  EXPECT_EQ(Cli({"extract", "-"}, "[{name:'东\xFF站'}]}").out, "东站\n");

  const std::string path = ::testing::TempDir() + "ridelon-page.html";
  std::ofstream(path) << "\xEF\xBB\xBF" << kWorkedExample;
  EXPECT_EQ(Cli({"extract", path}).out, "东站——西门\n");

  const auto missing = Cli({"extract"}, "<html>no stops</html>");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, Utf8(Query::kNotFoundText) + "\n");
}

// Every unusable command line or input: one line on stderr, exit status 2.
TEST(Cli, RefusesUnusableCommandLinesAndInputWithOneLineAndStatus2) {
  const std::string folder = ::testing::TempDir();
  const std::string oversized = folder + "ridelon-oversized.html";
  std::ofstream(oversized).close();
  std::filesystem::resize_file(oversized, (std::uintmax_t{32} << 20) + 1);
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "missing command"},
      {{"fly"}, "unknown command fly"},
      {{"pinyin"}, "missing arguments"},
      {{"pinyin", "a", "b"}, "too many arguments"},
      {{"url", "济南"}, "missing arguments"},
      {{"url", "--bus", "济南", "1"}, "unknown option --bus"},
      {{"url", "--trolleybus=1", "济南", "1"}, "takes no value"},
      {{"url", "--base"}, "--base needs a value"},
      {{"url", "--base", "http://127.0.0.1:18091", "济南", "1"}, "end with \"/\""},
      {{"query", "--base", "ftp://h/", "济南", "1"}, "http://"},
      {{"extract", "/no/such/file"}, "cannot read /no/such/file"},
      {{"extract", folder}, "is a folder"},
      {{"extract", oversized}, "larger than 33554432 bytes"},
      {{"query", " ", "K55"}, Utf8(Query::kCityPrompt)},
      {{"query", "济南", "\u3000"}, Utf8(Query::kLinePrompt)},
      {{"query", "--max-time", "soon", "济南", "1"}, "--max-time needs a whole number"},
      {{"query", "--max-time", "10s", "济南", "1"}, "--max-time needs a whole number"},
      {{"query", "--idle-timeout", "9223372036854775807", "济南", "1"}, "from 1 to 3600000"},
      {{"query", "--idle-timeout", "3600001", "济南", "1"}, "from 1 to 3600000"},
      {{"query", "--connect-timeout=0", "济南", "1"}, "from 1 to 3600000"},
      {{"query", "--max-body", "-5", "济南", "1"}, "--max-body needs"},
  };
  for (const auto& [args, reason] : cases) {
    const auto result = Cli(args);
    const std::string what = args.empty() ? "(none)" : args[0] + " " + args.back();
    EXPECT_EQ(result.exitCode, 2) << what;
    EXPECT_EQ(result.out, "") << what;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_TRUE(result.err.starts_with("ridelon-cli: ")) << result.err;
    EXPECT_NE(result.err.find(reason), std::string::npos) << what << ": " << result.err;
  }
  std::filesystem::remove(oversized);
  // Both ends of a range are accepted: no page fits in one byte (exit 1, not 2).
  const std::string dead =
      "http://127.0.0.1:" + std::to_string(Testing::RawServer::UnusedPort()) + "/";
  EXPECT_EQ(Cli({"query", "--max-body=1", "--idle-timeout=3600000", "--base", dead, "济南", "1"})
                .exitCode,
            1);
}

TEST(Cli, AnswersHelpAndVersion) {
  EXPECT_EQ(Cli({"--version"}).out, std::string(RIDELON_VERSION) + "\n");
  const auto help = Cli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const char* command : {"pinyin TEXT", "url [OPTIONS] CITY LINE", "extract [FILE]", "query"})
    EXPECT_NE(help.out.find(command), std::string::npos) << command;
  const auto queryHelp = Cli({"query", "济南", "--help"});
  EXPECT_EQ(queryHelp.exitCode, 0);
  EXPECT_NE(queryHelp.out.find("--idle-timeout MS"), std::string::npos) << queryHelp.out;
  EXPECT_NE(queryHelp.out.find("without a byte (default 30000; 1 to 3600000)"), std::string::npos)
      << queryHelp.out;
  EXPECT_EQ(queryHelp.out.find("(0 to 0)"), std::string::npos);  // no range on --raw
}

// --base over the environment over the build, each source checked alike.
TEST(Cli, TakesTheRouteSiteFromBaseOverTheEnvironment) {
  setenv("RIDELON_ROUTE_SERVICE_BASE", "http://env.test/", 1);
  EXPECT_EQ(Cli({"url", "济南", "K55"}).out, "http://env.test/jinan/xianlu/K55lu/\n");
  EXPECT_EQ(Cli({"url", "--base", "http://cli.test/", "济南", "K55"}).out,
            "http://cli.test/jinan/xianlu/K55lu/\n");
  setenv("RIDELON_ROUTE_SERVICE_BASE", "env.test/", 1);
  const auto refused = Cli({"query", "济南", "K55"});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_EQ(refused.err,
            "ridelon-cli: RIDELON_ROUTE_SERVICE_BASE: the route site must start with http:// or "
            "https://\n");
  unsetenv("RIDELON_ROUTE_SERVICE_BASE");
}

// With no route site set, a query serves the lines on this machine itself:
// the user's folder before the sample lines, and two programs at once each
// on a port of their own.
TEST(Cli, QueriesTheLinesOnThisMachineWithNothingElseRunning) {
  const std::filesystem::path dataHome = ::testing::TempDir() + "ridelon-data-home";
  std::filesystem::create_directories(dataHome / "ridelon" / "site" / "jinan");
  std::ofstream(dataHome / "ridelon" / "site" / "jinan" / "K55lu.txt") << "# 我的K55\n甲站\n乙站\n";
  setenv("XDG_DATA_HOME", dataHome.c_str(), 1);

  const auto found = Cli({"query", "济南", "k55"});
  EXPECT_EQ(found.out, "甲站——乙站\n");
  EXPECT_EQ(found.err, Utf8(Query::kQueryingStatus) + "\n" + Utf8(Query::kFoundStatus) + "\n");
  const auto raw = Cli({"query", "--raw", "济南", "K55"}).out;
  EXPECT_TRUE(raw.starts_with("<!DOCTYPE html>") && raw.ends_with("\n甲站——乙站\n")) << raw;
  EXPECT_EQ(raw.find("甲站——乙站"), raw.rfind("甲站——乙站"))
      << raw;  // the page, then the stops once
  // A typed "#" or "?" is part of the line: no such line, not K55.
  const auto missing = Cli({"query", "--trolleybus", "济南", "K55#x?y"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, Utf8(Query::kQueryingStatus) + "\n" + Utf8(Query::kNotFoundStatus) + "\n" +
                             Utf8(Query::kNotFoundText) + "\n");
  const auto bus = Testing::StartProgram(RIDELON_CLI, {"query", "北京", "1"});
  const auto trolleybus =
      Testing::StartProgram(RIDELON_CLI, {"query", "--trolleybus", "北京", "103"});
  const auto busResult = Testing::Wait(bus), trolleybusResult = Testing::Wait(trolleybus);
  EXPECT_EQ(busResult.exitCode, 0) << busResult.err;
  EXPECT_TRUE(busResult.out.starts_with("四惠站——八王坟——")) << busResult.out;
  EXPECT_EQ(trolleybusResult.exitCode, 0) << trolleybusResult.err;
  EXPECT_TRUE(trolleybusResult.out.starts_with("北京站东——东单路口北——")) << trolleybusResult.out;

  // Output that cannot be written is a failure, said once.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"query", "济南", "K55"}, {"pinyin", "济南"}}) {
    std::vector<std::string> shell{"-c", "exec \"$0\" \"$@\" >/dev/full", RIDELON_CLI};
    shell.insert(shell.end(), args.begin(), args.end());
    const auto full = Testing::RunProgram("/bin/sh", shell);
    EXPECT_EQ(full.exitCode, 2) << args[0];
    EXPECT_TRUE(full.err.ends_with("ridelon-cli: cannot write the output\n")) << full.err;
  }
  std::filesystem::remove_all(dataHome);
}

// The server's code is a module that a program loads only to serve the lines
// on this machine: without it (a broken install), a query of a named site
// still works, and a query of this machine's lines says what is missing.
TEST(Cli, AsksANamedSiteWithoutTheLocalSitesModule) {
  unsetenv("RIDELON_ROUTE_SERVICE_BASE");
  const std::filesystem::path bin = ::testing::TempDir() + "ridelon-no-module/bin";
  std::filesystem::create_directories(bin);
  const std::filesystem::path program = bin / "ridelon-cli";
  std::filesystem::copy_file(RIDELON_CLI, program,
                             std::filesystem::copy_options::overwrite_existing);
  Testing::RawServer site([](int socket, const std::string&) {
    Testing::RawServer::Send(socket,
                             "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                             "Connection: close\r\n\r\n" +
                                 kWorkedExample);
  });
  const std::string base = "http://127.0.0.1:" + std::to_string(site.port()) + "/";
  const auto named = Testing::RunProgram(program, {"query", "--base", base, "济南", "K55"});
  EXPECT_EQ(named.exitCode, 0) << named.err;
  EXPECT_EQ(named.out, "东站——西门\n");
  const auto local = Testing::RunProgram(program, {"query", "济南", "K55"});
  EXPECT_EQ(local.exitCode, 2);
  EXPECT_TRUE(local.err.starts_with("ridelon-cli: cannot load the local route site: "))
      << local.err;
  std::filesystem::remove_all(bin.parent_path());
}

// The guide from the command line, on the lines on this machine: found on
// stdout, one item a line, status 0; nothing, with what the site suggests, on
// stderr, status 1; unusable input, status 2. A line asked as the wrong kind
// is named as the other.
TEST(Cli, FindsLinesStopsAndWaysAndTellsTheOtherKind) {
  unsetenv("RIDELON_ROUTE_SERVICE_BASE");
  const std::filesystem::path emptyHome = ::testing::TempDir() + "ridelon-empty-data-home";
  setenv("XDG_DATA_HOME", emptyHome.c_str(), 1);  // the sample lines only
  const auto lines = Cli({"lines", "北京"});
  EXPECT_EQ(lines.exitCode, 0) << lines.err;
  EXPECT_EQ(lines.out, "1 公交：四惠站 → 老山公交场站\n103 电车：北京站东 → 动物园\n");
  const auto stop = Cli({"stop", " 北京", "八王坟"});
  EXPECT_EQ(stop.exitCode, 0) << stop.err;
  EXPECT_EQ(stop.out, "1 公交：四惠站 → 老山公交场站\n");
  const auto ways = Cli({"transfer", "北京", "四惠站", "八王坟"});
  EXPECT_EQ(ways.exitCode, 0) << ways.err;
  EXPECT_EQ(ways.out, "1 公交：四惠站 → 八王坟，1 站\n");

  const auto missing = Cli({"stop", "北京", "八王"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "404 北京 八王\n八王坟\n");
  EXPECT_EQ(Cli({"transfer", "北京", "八王坟", "四惠站"}).exitCode, 1);  // only one way round
  EXPECT_EQ(Cli({"lines", "火星"}).exitCode, 1);
  for (const std::vector<std::string>& unusable : {std::vector<std::string>{"stop", "北京", " "},
                                                   {"lines", "\u3000"},
                                                   {"transfer", "北京", "四惠站", ""},
                                                   {"stop", "北京"}})
    EXPECT_EQ(Cli(unusable).exitCode, 2) << unusable.size();

  const auto bus = Cli({"query", "北京", "103"});
  EXPECT_EQ(bus.exitCode, 1);
  EXPECT_TRUE(bus.err.ends_with("北京 103 is a trolleybus line: add --trolleybus\n")) << bus.err;
  const auto trolleybus = Cli({"query", "--trolleybus", "济南", "K55"});
  EXPECT_TRUE(trolleybus.err.ends_with("济南 K55 is a bus line: leave out --trolleybus\n"))
      << trolleybus.err;
  EXPECT_TRUE(Cli({"query", "北京", "104"}).err.ends_with(Utf8(Query::kNotFoundText) + "\n"));
}

// A hostile site: escape sequences and C1 controls in its items reach no
// terminal, a page of 400,000 entities is read in one pass, and a page far
// larger than any guide is given up. The addresses asked for keep "/" and
// dot segments inside one segment, as the site's links do.
TEST(Cli, ReadsAHostileSiteSafelyAndBoundedly) {
  std::string asked;
  std::mutex askedLock;
  std::string many;
  for (int i = 0; i < 400'000; ++i) many += "&lt;";
  Testing::RawServer site([&](int socket, const std::string& request) {
    const std::string path = request.substr(4, request.find(' ', 4) - 4);
    {
      const std::lock_guard lock(askedLock);
      asked += path + "\n";
    }
    std::string body =
        "<h1>站</h1><li>\x1b[2J\x1b[31m红\xc2\x9b"
        "31m&#91;&amp;lt;</li>";
    if (path.find("many") != path.npos) body = "<li>" + many + "</li>";
    if (path.find("huge") != path.npos) body = std::string(5u << 20, 'a');
    Testing::RawServer::Send(socket,
                             "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                             "Content-Length: " +
                                 std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
                                 body);
  });
  const std::string base = "http://127.0.0.1:" + std::to_string(site.port()) + "/";
  const auto hostile = Testing::RunProgram(RIDELON_CLI, {"lines", "--base", base, "北京"});
  EXPECT_EQ(hostile.exitCode, 0) << hostile.err;
  EXPECT_EQ(hostile.out, " [2J [31m红 31m[&lt;\n");

  const auto slow = Testing::RunProgram(RIDELON_CLI, {"stop", "--base", base, "北京", "many"});
  EXPECT_EQ(slow.exitCode, 0);
  EXPECT_EQ(slow.out, std::string(400'000, '<') + "\n");
  EXPECT_LT(slow.cpuSeconds, 3.0);  // 7 s when the entities were replaced one by one

  const auto huge = Testing::RunProgram(RIDELON_CLI, {"stop", "--base", base, "北京", "huge"});
  EXPECT_EQ(huge.exitCode, 1);
  EXPECT_LT(huge.maxResidentKb, 200 * 1024);

  for (const char* stop : {"甲/乙路口", ".", ".."})
    EXPECT_EQ(Testing::RunProgram(RIDELON_CLI, {"stop", "--base", base, "北京", stop}).exitCode, 0);
  EXPECT_EQ(Testing::RunProgram(RIDELON_CLI, {"transfer", "--base", base, "北京", "a b", "../c"})
                .exitCode,
            0);
  EXPECT_NE(asked.find("/beijing/zhandian/%E7%94%B2%2F%E4%B9%99%E8%B7%AF%E5%8F%A3/\n"),
            std::string::npos)
      << asked;
  EXPECT_NE(asked.find("/beijing/zhandian/%2E/\n"), std::string::npos) << asked;
  EXPECT_NE(asked.find("/beijing/zhandian/%2E%2E/\n"), std::string::npos) << asked;
  EXPECT_NE(asked.find("/beijing/huancheng/a%20b/..%2Fc/\n"), std::string::npos) << asked;
}

// A name that would make the address longer than any site takes is unusable
// input; so is output to a closed descriptor, which nothing else may take.
TEST(Cli, RefusesOverLongNamesAndClosedOutput) {
  unsetenv("RIDELON_ROUTE_SERVICE_BASE");
  std::string longName;
  for (int i = 0; i < 5000; ++i) longName += "站";
  const auto tooLong = Cli({"stop", "济南", longName});
  EXPECT_EQ(tooLong.exitCode, 2);
  EXPECT_EQ(tooLong.out, "");
  EXPECT_NE(tooLong.err.find("too long"), std::string::npos) << tooLong.err;
  EXPECT_EQ(std::ranges::count(tooLong.err, '\n'), 1);
  EXPECT_EQ(Cli({"stop", "济南", std::string(1300, 'a')}).exitCode, 1);  // long, but fits

  for (const char* command : {"lines", "pinyin"}) {
    const auto closed =
        Testing::RunProgram("/bin/sh", {"-c", "exec \"$0\" \"$1\" 济南 >&-", RIDELON_CLI, command});
    EXPECT_EQ(closed.exitCode, 2) << command << closed.err;
    EXPECT_TRUE(closed.err.ends_with("ridelon-cli: cannot write the output\n")) << closed.err;
  }
}

}  // namespace
