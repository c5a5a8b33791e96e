// Misbehaving sites, met through the query run: every run ends within the
// client's limits, never leaves "正在查询，请稍候。。。" as the status, and ends
// in the not-found outcome with the reason. ridelon-cli, as a process, turns
// that into its exit status and a reason on stderr, within bounded memory.
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

Testing::ProgramResult CliQuery(int port) {
  return Testing::RunProgram(
      RIDELON_CLI,
      {"query", "--base", "http://127.0.0.1:" + std::to_string(port) + "/", "济南", "K55"});
}

class MisbehavingSite : public ::testing::TestWithParam<std::size_t> {
 protected:
  const MisbehavingPeer peer = Testing::MisbehavingPeers()[GetParam()];
};

TEST_P(MisbehavingSite, EndsTheRunNotFoundWithTheReason) {
  RawServer site(peer.serve);
  Testing::RecordingWindow window(site.Url("jinan/xianlu/K55lu/"));
  const auto started = std::chrono::steady_clock::now();
  const auto outcome = Query::RunQuery(window, Testing::ShortLimits());
  EXPECT_LT(std::chrono::steady_clock::now() - started, Testing::kShortLimitsBound);
  ASSERT_EQ(window.events.size(), 3u);  // page, not-found text, status; no message
  EXPECT_EQ(window.events.back().second, Query::kNotFoundStatus);
  EXPECT_FALSE(outcome.found);
  EXPECT_EQ(outcome.failure.kind, peer.reason) << outcome.failure.Describe();
}

INSTANTIATE_TEST_SUITE_P(Peers, MisbehavingSite,
                         ::testing::Range<std::size_t>(0, Testing::MisbehavingPeers().size()),
                         [](const auto& info) {
                           std::string name = Testing::MisbehavingPeers()[info.param].name;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// With the product's own limits, a gigabyte body stops at the 32 MiB cap and
// an endless stream of trailer lines at the header cap, each within bounded
// memory, with exit status 1 and the reason.
TEST(NetworkFaults, FloodsEndWithinBoundedMemoryAndTheReason) {
  std::size_t sent = 0;
  RawServer gigabyte([&sent](int s, const std::string&) {
    RawServer::Send(s, "HTTP/1.1 200 OK\r\nContent-Length: 1073741824\r\n\r\n");
    const std::string block(1 << 20, 'x');
    while (sent < (std::size_t{1} << 30) && RawServer::Send(s, block)) sent += block.size();
  });
  const auto body = CliQuery(gigabyte.port());
  EXPECT_EQ(body.exitCode, 1);
  EXPECT_NE(body.err.find("ridelon-cli: body too large"), std::string::npos) << body.err;
  EXPECT_LT(body.maxResidentKb, 128 * 1024) << "peak memory in KiB";
  EXPECT_LT(sent, std::size_t{256} << 20);

  const auto peers = Testing::MisbehavingPeers();
  const auto trailers = std::find_if(peers.begin(), peers.end(), [](const MisbehavingPeer& peer) {
    return peer.name.starts_with("floods trailer");
  });
  ASSERT_NE(trailers, peers.end());
  RawServer flood(trailers->serve);
  const auto result = CliQuery(flood.port());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("ridelon-cli: response headers too large"), std::string::npos)
      << result.err;
  EXPECT_LT(result.maxResidentKb, 64 * 1024) << "peak memory in KiB";
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

  Testing::RecordingWindow window(site.Url("jinan/xianlu/K55lu/"));
  const auto outcome = Query::RunQuery(window);
  EXPECT_TRUE(outcome.found);
  EXPECT_EQ(outcome.stops, u"东站——西门");
  EXPECT_EQ(encoding, "gzip");
}

}  // namespace
