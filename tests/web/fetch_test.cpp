#include <gtest/gtest.h>

#include <chrono>
#include <mutex>

#include "tests/support/loopback_server.h"
#include "tests/support/misbehaving_peers.h"
#include "tests/support/raw_server.h"
#include "web/fetch_text.h"

namespace {

using namespace std::chrono_literals;
using Testing::LoopbackServer;
using Testing::RawServer;
using Web::FetchText;

using Testing::ShortLimits;

std::u16string TextOf(const Web::FetchOutcome& outcome) {
  const auto* text = std::get_if<std::u16string>(&outcome.result);
  return text ? *text : u"<not text>";
}

bool IsNothing(const Web::FetchOutcome& outcome) {
  return std::holds_alternative<std::monostate>(outcome.result) &&
         outcome.failure.kind != Web::FailureKind::None;
}

TEST(FetchText, SendsOneGetWithTheHeaderAndNoCredentials) {
  LoopbackServer site;
  std::mutex mutex;
  std::vector<httplib::Request> seen;
  site.server().Get(".*", [&](const httplib::Request& request, httplib::Response& response) {
    std::lock_guard lock(mutex);
    seen.push_back(request);
    response.set_content("济南", "text/html; charset=utf-8");
  });
  site.Start();

  const auto outcome = FetchText(site.Url("jinan/xianlu/K55lu/"), "UTF-8", ShortLimits());
  EXPECT_EQ(TextOf(outcome), u"济南");
  EXPECT_EQ(outcome.failure.kind, Web::FailureKind::None);
  std::lock_guard lock(mutex);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].method, "GET");
  EXPECT_EQ(seen[0].path, "/jinan/xianlu/K55lu/");
  EXPECT_EQ(seen[0].get_header_value("If-Modified-Since"), "0");
  EXPECT_EQ(seen[0].get_header_value_count("If-Modified-Since"), 1u);
  EXPECT_FALSE(seen[0].has_header("Authorization"));
}

TEST(FetchText, FollowsRedirectsWithTheHeader) {
  LoopbackServer site;
  site.server().Get("/old", [](const httplib::Request&, httplib::Response& response) {
    response.set_redirect("/new");
  });
  site.server().Get("/new", [](const httplib::Request& request, httplib::Response& response) {
    response.set_content(request.get_header_value("If-Modified-Since"), "text/plain");
  });
  site.Start();

  // The header goes out again on the redirected request.
  EXPECT_EQ(TextOf(FetchText(site.Url("old"), "UTF-8", ShortLimits())), u"0");
}

TEST(FetchText, PutsSpacesChineseAndUrlSyntaxOnTheWirePercentEncoded) {
  std::string requestLine;
  RawServer site([&](int socket, const std::string& request) {
    requestLine = request.substr(0, request.find("\r\n"));
    RawServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
  });
  const auto outcome =
      FetchText(site.Url("") + u"beijing/xianlu/夜 2#?ludianche/", "UTF-8", ShortLimits());
  EXPECT_EQ(TextOf(outcome), u"ok");
  EXPECT_EQ(requestLine, "GET /beijing/xianlu/%E5%A4%9C%202%23%3Fludianche/ HTTP/1.1");
  // Dot segments are data too: the site sees the path as composed.
  FetchText(site.Url("") + u"jinan/xianlu/../../JINAN/./K55lu/", "UTF-8", ShortLimits());
  EXPECT_EQ(requestLine, "GET /jinan/xianlu/../../JINAN/./K55lu/ HTTP/1.1");
}

// A page exactly at a limit is read; one byte more is refused, whether in
// the headers or in the body.
TEST(FetchText, ReadsUpToEachLimitAndNotAByteMore) {
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\n";
  RawServer site([&](int socket, const std::string&) { RawServer::Send(socket, head + "ok"); });
  const auto fetch = [&](std::uint64_t headerBytes, std::uint64_t bodyBytes) {
    Web::FetchLimits limits = ShortLimits();
    limits.maxHeaderBytes = headerBytes;
    limits.maxBodyBytes = bodyBytes;
    return FetchText(site.Url("page"), "UTF-8", limits);
  };
  EXPECT_EQ(TextOf(fetch(head.size(), 2)), u"ok");
  EXPECT_EQ(fetch(head.size() - 1, 2).failure.kind, Web::FailureKind::HeadersTooLarge);
  EXPECT_EQ(fetch(head.size(), 1).failure.kind, Web::FailureKind::BodyTooLarge);
}

TEST(FetchText, GivesNothingForUnusableAddresses) {
  for (const std::u16string address : {u"file:///etc/hostname", u"ftp://127.0.0.1/", u"", u"::"}) {
    const auto outcome = FetchText(address, "UTF-8", ShortLimits());
    EXPECT_TRUE(IsNothing(outcome)) << std::string(address.begin(), address.end());
    // No peer was reached, so nothing answered wrongly: the address is at fault.
    EXPECT_EQ(outcome.failure.kind, Web::FailureKind::BadAddress)
        << std::string(address.begin(), address.end());
  }
}

TEST(FetchFailure, DescribesItselfOnOneLine) {
  const Web::FetchFailure bare{Web::FailureKind::NotHttp, ""};
  const Web::FetchFailure split{Web::FailureKind::NotHttp, "a\r\nb\nc"};
  EXPECT_EQ(split.Describe(), bare.Describe() + ": a  b c");
}

}  // namespace
