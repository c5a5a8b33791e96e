// Misbehaving sites, met through the query run and through ridelon-cli: every
// run ends within the client's limits, never leaves "正在查询，请稍候。。。" as
// the status, stays within bounded memory, and ends in the decided outcome.
#include <gtest/gtest.h>

#include <chrono>

#include "query/query_texts.h"
#include "query/run_query.h"
#include "tests/support/loopback_server.h"
#include "tests/support/misbehaving_peers.h"
#include "tests/support/raw_server.h"
#include "tests/support/recording_window.h"
#include "tests/support/run_program.h"

namespace {

using namespace std::chrono_literals;
using Testing::MisbehavingPeer;
using Testing::RawServer;

std::string Utf8(std::u16string_view text) { return Testing::ToUtf8ForTests(text); }

std::vector<std::string> ShortLimitOptions() {
  const auto limits = Testing::ShortLimits();
  return {"--connect-timeout", std::to_string(limits.connectTimeout.count()),
          "--idle-timeout",    std::to_string(limits.idleTimeout.count()),
          "--max-time",        std::to_string(limits.totalTimeout.count()),
          "--max-body",        std::to_string(limits.maxBodyBytes)};
}

Testing::ProgramResult CliQuery(const std::string& base, std::vector<std::string> options) {
  std::vector<std::string> args = {"query", "--base", base};
  args.insert(args.end(), options.begin(), options.end());
  args.insert(args.end(), {"济南", "K55"});
  return Testing::RunProgram(RIDELON_CLI, args);
}

class MisbehavingSite : public ::testing::TestWithParam<std::size_t> {
 protected:
  const MisbehavingPeer peer = Testing::MisbehavingPeers()[GetParam()];
};

TEST_P(MisbehavingSite, EndsTheRunNotFound) {
  RawServer site(peer.serve);
  Testing::RecordingWindow window(site.Url("jinan/xianlu/K55lu/"));
  const auto started = std::chrono::steady_clock::now();
  const auto fetched = Query::RunQuery(window, [](std::u16string_view url, std::u16string_view cs) {
    return Inets::FetchText(url, cs, Testing::ShortLimits());
  });
  EXPECT_LT(std::chrono::steady_clock::now() - started, Testing::kShortLimitsBound);
  EXPECT_EQ(window.LastStatus(), Query::kNotFoundStatus);
  EXPECT_EQ(window.events.size(), 3u);  // page, not-found text, status; no message
  EXPECT_EQ(fetched.failure.rfind(peer.reason, 0), 0u) << fetched.failure;
}

TEST_P(MisbehavingSite, EndsTheCommandLineQueryWithTheReason) {
  RawServer site(peer.serve);
  const std::string base = "http://127.0.0.1:" + std::to_string(site.port()) + "/";
  const auto started = std::chrono::steady_clock::now();
  const auto result = CliQuery(base, ShortLimitOptions());
  EXPECT_LT(std::chrono::steady_clock::now() - started, Testing::kShortLimitsBound);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find(Utf8(Query::kNotFoundStatus)), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("ridelon-cli: " + peer.reason), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(Peers, MisbehavingSite,
                         ::testing::Range<std::size_t>(0, Testing::MisbehavingPeers().size()),
                         [](const auto& info) {
                           std::string name = Testing::MisbehavingPeers()[info.param].name;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

TEST(NetworkFaults, ARefusedConnectionEndsAtOnce) {
  const std::string base = "http://127.0.0.1:" + std::to_string(RawServer::UnusedPort()) + "/";
  const auto started = std::chrono::steady_clock::now();
  const auto result = CliQuery(base, {});
  EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("ridelon-cli: connection refused"), std::string::npos) << result.err;
}

// With the product's own limits: the client abandons a gigabyte body at its
// 32 MiB cap instead of holding it.
TEST(NetworkFaults, AGigabyteBodyIsAbandonedWithinBoundedMemory) {
  std::size_t sent = 0;
  RawServer site([&sent](int s, const std::string&) {
    RawServer::Send(s, "HTTP/1.1 200 OK\r\nContent-Length: 1073741824\r\n\r\n");
    const std::string block(1 << 20, 'x');
    while (sent < (std::size_t{1} << 30) && RawServer::Send(s, block)) sent += block.size();
  });
  const auto result = CliQuery("http://127.0.0.1:" + std::to_string(site.port()) + "/", {});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("body too large"), std::string::npos) << result.err;
  EXPECT_LT(result.maxResidentKb, 256 * 1024) << "peak memory in KiB";
  EXPECT_LT(sent, std::size_t{256} << 20);
}

// An error status and a compressed body are still pages.
TEST(NetworkFaults, AnErrorStatusOrACompressedBodyStillGivesTheStops) {
  Testing::LoopbackServer site;
  const std::string page = "<p>" + std::string(4000, ' ') +
                           "</p>[{name:'东站',strlatlon:'1'},{name:'西门',strlatlon:'2'}]}";
  std::string encoding;
  site.server().Get("/jinan/xianlu/K55lu/", [&](const httplib::Request&, httplib::Response& r) {
    r.status = 500;
    r.set_content(page, "text/html; charset=utf-8");
  });
  site.server().set_post_routing_handler([&](const httplib::Request&, httplib::Response& r) {
    encoding = r.get_header_value("Content-Encoding");
  });
  site.Start();

  const auto result = CliQuery(site.Base(), {});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "东站——西门\n");
  EXPECT_EQ(encoding, "gzip");
}

}  // namespace
