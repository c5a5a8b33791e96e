// The HTTP server with a handler of the test's own, against raw clients.
#include "server/http_server.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "tests/support/raw_server.h"

namespace {

using namespace std::chrono_literals;

const std::string kPage = "<html><body>东站 西门</body></html>";

// Answers kPage at /page/ and 404 elsewhere, counting the handlers made.
Server::HandlerFactory PageAt(std::atomic<int>& handlersMade) {
  return [&handlersMade]() -> Server::RequestHandler {
    ++handlersMade;
    return [](std::string_view path) {
      return path == "/page/" ? Server::Response{200, kPage} : Server::Response{404, "gone"};
    };
  };
}

// What the log wrote to its pipe, once the log has been destroyed.
std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  return text;
}

// Under hostile clients: slow ones hold no one up, bodies are refused, byte
// ranges are not served, and the log cannot be forged.
TEST(HttpServer, HoldsUpUnderHostileClients) {
  int logPipe[2] = {-1, -1};
  ASSERT_EQ(::pipe(logPipe), 0);
  std::atomic<int> handlersMade = 0;
  {
    Server::AccessLog log(logPipe[1]);
    Server::HttpServer server({.threads = 2}, PageAt(handlersMade), log);
    EXPECT_EQ(handlersMade, 2);  // one per event loop
    std::vector<int> slow;
    for (int i = 0; i < 64; ++i) {  // each sends the start of a request, then nothing
      slow.push_back(Testing::RawServer::Connect(server.Port()));
      Testing::RawServer::Send(slow.back(), "GET /page/ HTTP/1.1\r\nHost: x");
    }
    const auto started = std::chrono::steady_clock::now();
    const auto page =
        Testing::RawServer::Exchange(server.Port(),
                                     "GET /page/ HTTP/1.1\r\nHost: x\r\nRange: bytes=0-1,0-2\r\n"
                                     "Connection: close\r\n\r\n");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    EXPECT_TRUE(page.starts_with("HTTP/1.1 200")) << page;
    EXPECT_TRUE(page.ends_with("\r\n\r\n" + kPage)) << page;  // whole, not a range

    const auto posted = Testing::RawServer::Exchange(
        server.Port(),
        "POST /page/ HTTP/1.1\r\nHost: x\r\nContent-Length: 419430400\r\n"
        "Connection: close\r\n\r\n" +
            std::string(8192, 'x'));
    EXPECT_TRUE(posted.starts_with("HTTP/1.1 413")) << posted;
    const auto small =
        Testing::RawServer::Exchange(server.Port(),
                                     "POST /page/ HTTP/1.1\r\nHost: "
                                     "x\r\nContent-Length: 2\r\nConnection: close\r\n\r\nab");
    EXPECT_TRUE(small.starts_with("HTTP/1.1 405")) << small;  // GET and HEAD only

    Testing::RawServer::Exchange(server.Port(),
                                 "GET /jinan/%1b[31m%0d%0aGET%20/x HTTP/1.1\r\n"
                                 "Host: x\r\nConnection: close\r\n\r\n");
    for (const int socket : slow) ::close(socket);
  }
  ::close(logPipe[1]);
  const std::string logged = ReadAll(logPipe[0]);
  ::close(logPipe[0]);
  EXPECT_NE(logged.find("GET /jinan/\\x1b[31m\\x0d\\x0aGET /x 404\n"), std::string::npos) << logged;
  EXPECT_EQ(logged.find('\x1b'), std::string::npos);
}

}  // namespace
