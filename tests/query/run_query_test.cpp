#include "query/run_query.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "query/query_texts.h"
#include "tests/support/loopback_server.h"
#include "tests/support/raw_server.h"
#include "tests/support/recording_window.h"

namespace {

using namespace std::chrono_literals;
using Query::RunQuery;

using Events = Testing::RecordingWindow::Events;
using Testing::RecordingWindow;

Inets::FetchOutcome QuickFetch(std::u16string_view url, std::u16string_view charset) {
  Inets::FetchLimits limits;
  limits.idleTimeout = 1s;
  limits.totalTimeout = 4s;
  return Inets::FetchText(url, charset, limits);
}

class RunQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site.server().Get("/jinan/xianlu/K55lu/",
                      [this](const httplib::Request&, httplib::Response& r) {
                        ++requests;
                        r.set_content(kPage, "text/html; charset=utf-8");
                      });
    site.server().Get("/empty-list/", [](const httplib::Request&, httplib::Response& r) {
      r.set_content("[{name:'a,b'}]}", "text/html");
    });
    site.server().Get("/no-stops/", [](const httplib::Request&, httplib::Response& r) {
      r.status = 404;
      r.set_content("<h1>404 找不到</h1>", "text/html");
    });
    site.server().Get("/utf16/", [](const httplib::Request&, httplib::Response& r) {
      std::string bytes;
      for (const char16_t unit : kUtf16Page) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
      }
      bytes += 'z';  // an odd last byte is ignored
      r.set_content(bytes, "application/octet-stream");
    });
    site.Start();
  }

  static constexpr std::u16string_view kUtf16Page = u"[{name:'东站'}]}";

  static constexpr const char* kPage =
      "<script>var l={s:[{name:'东站',strlatlon:'1'},{name:'西门',strlatlon:'2'}]};</script>";
  const std::u16string kPageText =
      u"<script>var l={s:[{name:'东站',strlatlon:'1'},{name:'西门',strlatlon:'2'}]};</script>";
  Testing::LoopbackServer site;
  std::atomic<int> requests{0};
};

TEST_F(RunQueryTest, FoundShowsThePageThenTheListThenTheStatusThenTheMessage) {
  RecordingWindow window(site.Url("jinan/xianlu/K55lu/"));
  std::u16string charset;
  RunQuery(window, [&](std::u16string_view url, std::u16string_view asked) {
    charset = asked;
    return QuickFetch(url, asked);
  });
  EXPECT_EQ(charset, u"UTF-8");
  EXPECT_EQ(requests.load(), 1);
  EXPECT_EQ(window.events, (Events{{u"results", kPageText},
                                   {u"results", u"东站——西门"},
                                   {u"status", std::u16string(Query::kFoundStatus)},
                                   {u"message", u"东站——西门"}}));
}

TEST_F(RunQueryTest, FoundWithAnEmptyListStillShowsTheMessage) {
  RecordingWindow window(site.Url("empty-list/"));
  RunQuery(window, QuickFetch);
  EXPECT_EQ(window.events, (Events{{u"results", u"[{name:'a,b'}]}"},
                                   {u"results", u""},
                                   {u"status", std::u16string(Query::kFoundStatus)},
                                   {u"message", u""}}));
}

TEST_F(RunQueryTest, NotFoundShowsTheNotFoundTextsAndNoMessage) {
  RecordingWindow window(site.Url("no-stops/"));
  RunQuery(window, QuickFetch);
  EXPECT_EQ(window.events, (Events{{u"results", u"<h1>404 找不到</h1>"},
                                   {u"results", std::u16string(Query::kNotFoundText)},
                                   {u"status", std::u16string(Query::kNotFoundStatus)}}));
}

TEST_F(RunQueryTest, AnUnreachableSiteEndsNotFoundAndKeepsTheReason) {
  const int port = Testing::RawServer::UnusedPort();
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/x/";
  RecordingWindow window(std::u16string(url.begin(), url.end()));
  const auto fetched = RunQuery(window, QuickFetch);
  EXPECT_EQ(window.events, (Events{{u"results", u""},
                                   {u"results", std::u16string(Query::kNotFoundText)},
                                   {u"status", std::u16string(Query::kNotFoundStatus)}}));
  EXPECT_NE(fetched.failure.find("connection refused"), std::string::npos) << fetched.failure;
}

TEST_F(RunQueryTest, AFailingWindowOperationSkipsOnlyItsOwnStep) {
  RecordingWindow window(site.Url("jinan/xianlu/K55lu/"));
  window.failing = u"results";
  RunQuery(window, QuickFetch);
  EXPECT_EQ(window.events, (Events{{u"status", std::u16string(Query::kFoundStatus)},
                                   {u"message", u"东站——西门"}}));

  RecordingWindow throwingFetch(site.Url("jinan/xianlu/K55lu/"));
  RunQuery(throwingFetch, [](auto, auto) -> Inets::FetchOutcome { throw std::bad_alloc(); });
  EXPECT_EQ(throwingFetch.events.back(),
            (std::pair<std::u16string, std::u16string>{u"status", Query::kNotFoundStatus}));
}

TEST_F(RunQueryTest, UndecodedBytesAreReadAsLittleEndianUtf16) {
  // A page that decodes in no charset arrives as bytes; its UTF-16LE reading
  // is what the extraction sees.
  RecordingWindow window(site.Url("utf16/"));
  RunQuery(window, [](std::u16string_view url, std::u16string_view) {
    return QuickFetch(url, u"no-such-charset");
  });
  ASSERT_FALSE(window.events.empty());
  EXPECT_EQ(window.events.front().second, kUtf16Page);
  EXPECT_EQ(window.events.back(), (std::pair<std::u16string, std::u16string>{u"message", u"东站"}));
}

TEST(PageText, TurnsEachFetchResultIntoText) {
  EXPECT_EQ(Query::PageText(Inets::FetchResult{}), u"");
  EXPECT_EQ(Query::PageText(Inets::FetchResult{std::u16string(u"页")}), u"页");
  EXPECT_EQ(Query::PageText(Inets::FetchResult{Inets::Bytes{0x75, 0x98, 0x41}}), u"页");
  EXPECT_EQ(Query::PageText(Inets::FetchResult{Inets::Bytes{0x41}}), u"");
}

}  // namespace
