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

Query::FetchLimits QuickLimits() {
  Query::FetchLimits limits;
  limits.idleTimeout = 1s;
  limits.totalTimeout = 4s;
  return limits;
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
      {"/no-stops/", {404, "<h1>404 找不到</h1>"}}};
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
    const auto outcome = RunQuery(window, QuickLimits());
    EXPECT_EQ(window.events, expected) << path;
    EXPECT_EQ(outcome.found, expected.back().first == u"message") << path;
    EXPECT_EQ(outcome.stops, outcome.found ? expected.back().second : u"") << path;
    EXPECT_EQ(outcome.failure.kind, Web::FailureKind::None);
  }
  EXPECT_EQ(requests.load(), 3);
}

TEST_F(RunQueryTest, AnUnreachableSiteEndsNotFoundAndKeepsTheReason) {
  const std::string url = "http://127.0.0.1:" + std::to_string(Testing::RawServer::UnusedPort());
  RecordingWindow window(std::u16string(url.begin(), url.end()) + u"/x/");
  const auto started = std::chrono::steady_clock::now();
  const auto outcome = RunQuery(window, QuickLimits());
  EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
  EXPECT_EQ(window.events,
            (Events{{u"results", u""}, {u"results", kNotFoundText}, {u"status", kNotFound}}));
  EXPECT_FALSE(outcome.found);
  EXPECT_EQ(outcome.failure.kind, Web::FailureKind::ConnectionRefused);
  EXPECT_EQ(outcome.failure.Describe().rfind("connection refused: ", 0), 0u);
}

TEST_F(RunQueryTest, AFailingStepSkipsOnlyItself) {
  RecordingWindow window(site.Url("stops/"));
  window.failing = u"results";
  EXPECT_TRUE(RunQuery(window, QuickLimits()).found);
  EXPECT_EQ(window.events, (Events{{u"status", kFound}, {u"message", u"东站——西门"}}));

  RecordingWindow silent(site.Url("stops/"));
  silent.failing = u"status";
  RunQuery(silent, QuickLimits());
  EXPECT_EQ(silent.events.back(),
            (std::pair<std::u16string, std::u16string>{u"message", u"东站——西门"}));
}

// A page that decodes in no charset arrives as bytes; the extraction sees
// their little-endian UTF-16 reading, an odd last byte left out.
TEST(PageText, ReadsUndecodedBytesAsLittleEndianUtf16) {
  const std::string utf16 =
      std::string("[\0{\0n\0a\0m\0e\0:\0'\0\x1c\x4e\xd9\x7a'\0}\0]\0}\0z", 29);
  const Web::FetchResult bytes = Web::Bytes(utf16.begin(), utf16.end());
  EXPECT_EQ(Query::PageText(bytes), u"[{name:'东站'}]}");
  EXPECT_EQ(Query::PageText(Web::FetchResult{}), u"");
  EXPECT_EQ(Query::PageText(Web::FetchResult{u"站"}), u"站");
}

}  // namespace
