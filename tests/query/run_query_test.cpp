#include "query/run_query.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>

#include "query/query_texts.h"
#include "tests/support/loopback_server.h"
#include "tests/support/raw_server.h"
#include "tests/support/recording_window.h"

namespace {

using namespace std::chrono_literals;
using Query::RunQuery;
using Testing::RecordingWindow;
using Events = RecordingWindow::Events;

const std::u16string kFound(Query::kFoundStatus);
const std::u16string kNotFoundText(Query::kNotFoundText);
const std::u16string kNotFound(Query::kNotFoundStatus);

Inets::FetchOutcome QuickFetch(std::u16string_view url, std::u16string_view charset) {
  Inets::FetchLimits limits;
  limits.idleTimeout = 1s;
  limits.totalTimeout = 4s;
  return Inets::FetchText(url, charset, limits);
}

// A loopback site serving each page of `pages` (path → status, body).
class RunQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site.server().Get(".*", [this](const httplib::Request& request, httplib::Response& r) {
      ++requests;
      const auto& [status, body] = pages.at(request.path);
      r.status = status;
      r.set_content(body, "text/html; charset=utf-8");
    });
    site.Start();
  }

  const std::map<std::string, std::pair<int, std::string>> pages = {
      {"/stops/", {200, "<script>var l={s:[{name:'东站',strlatlon:'1'},{name:'西门',x:'2'}]};"}},
      {"/empty-list/", {200, "[{name:'a,b'}]}"}},
      {"/no-stops/", {404, "<h1>404 找不到</h1>"}},
      // UTF-16LE of [{name:'东站'}]}, with an odd last byte.
      {"/utf16/", {200, std::string("[\0{\0n\0a\0m\0e\0:\0'\0\x1c\x4e\xd9\x7a'\0}\0]\0}\0z", 29)}}};
  Testing::LoopbackServer site;
  std::atomic<int> requests{0};
};

// The outcome texts, and their order: page, then list or not-found text, then
// status, then (only when found) the message.
TEST_F(RunQueryTest, WritesTheOutcomeInOrder) {
  const std::vector<std::pair<std::string, Events>> cases = {
      {"stops/",
       {{u"results", u"<script>var l={s:[{name:'东站',strlatlon:'1'},{name:'西门',x:'2'}]};"},
        {u"results", u"东站——西门"},
        {u"status", kFound},
        {u"message", u"东站——西门"}}},
      {"empty-list/",
       {{u"results", u"[{name:'a,b'}]}"},
        {u"results", u""},
        {u"status", kFound},
        {u"message", u""}}},
      {"no-stops/",
       {{u"results", u"<h1>404 找不到</h1>"}, {u"results", kNotFoundText}, {u"status", kNotFound}}},
  };
  for (const auto& [path, expected] : cases) {
    RecordingWindow window(site.Url(path));
    std::u16string charset;
    RunQuery(window, [&](std::u16string_view url, std::u16string_view asked) {
      charset = asked;
      return QuickFetch(url, asked);
    });
    EXPECT_EQ(charset, u"UTF-8");
    EXPECT_EQ(window.events, expected) << path;
  }
  EXPECT_EQ(requests.load(), 3);
}

TEST_F(RunQueryTest, AnUnreachableSiteEndsNotFoundAndKeepsTheReason) {
  const std::string url = "http://127.0.0.1:" + std::to_string(Testing::RawServer::UnusedPort());
  RecordingWindow window(std::u16string(url.begin(), url.end()) + u"/x/");
  const auto fetched = RunQuery(window, QuickFetch);
  EXPECT_EQ(window.events,
            (Events{{u"results", u""}, {u"results", kNotFoundText}, {u"status", kNotFound}}));
  EXPECT_EQ(fetched.failure.rfind("connection refused", 0), 0u) << fetched.failure;
}

TEST_F(RunQueryTest, AFailingStepSkipsOnlyItself) {
  RecordingWindow window(site.Url("stops/"));
  window.failing = u"results";
  RunQuery(window, QuickFetch);
  EXPECT_EQ(window.events, (Events{{u"status", kFound}, {u"message", u"东站——西门"}}));

  RecordingWindow throwingFetch(site.Url("stops/"));
  RunQuery(throwingFetch, [](auto, auto) -> Inets::FetchOutcome { throw std::bad_alloc(); });
  EXPECT_EQ(throwingFetch.LastStatus(), kNotFound);
}

// A page that decodes in no charset arrives as bytes; the extraction sees
// their little-endian UTF-16 reading.
TEST_F(RunQueryTest, ReadsUndecodedBytesAsLittleEndianUtf16) {
  RecordingWindow window(site.Url("utf16/"));
  RunQuery(window, [](std::u16string_view url, std::u16string_view) {
    return QuickFetch(url, u"no-such-charset");
  });
  ASSERT_FALSE(window.events.empty());
  EXPECT_EQ(window.events.front().second, u"[{name:'东站'}]}");
  EXPECT_EQ(window.events.back(), (std::pair<std::u16string, std::u16string>{u"message", u"东站"}));
}

}  // namespace
