// The HTTP server with a handler of the test's own, against raw clients.
#include "server/http_server.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "server/listen_socket.h"
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

// Under hostile clients: slow ones hold no one up, bodies are refused and
// byte ranges are not served; refusals are logged.
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

    for (const int socket : slow) ::close(socket);
  }
  ::close(logPipe[1]);
  const std::string logged = ReadAll(logPipe[0]);
  ::close(logPipe[0]);
  EXPECT_NE(logged.find(" 127.0.0.1 - - 413 - "), std::string::npos) << logged;  // refused unread
  EXPECT_NE(logged.find(" 127.0.0.1 POST /page/ 405 0 "), std::string::npos) << logged;
}

// A server on its own log pipe, read whole once the server has stopped.
class LoggedServer {
 public:
  LoggedServer() {
    if (::pipe(pipe_) != 0) throw std::runtime_error("pipe");
    log_.emplace(pipe_[1]);
    server_.emplace(Server::HttpServer::Options{.threads = 1}, PageAt(handlersMade_), *log_);
  }
  ~LoggedServer() {
    if (pipe_[0] >= 0) Logged();
  }
  int Port() const { return server_->Port(); }
  std::string Logged() {
    server_.reset();
    log_.reset();
    ::close(pipe_[1]);
    std::string text = ReadAll(pipe_[0]);
    ::close(pipe_[0]);
    pipe_[0] = -1;
    return text;
  }

 private:
  int pipe_[2] = {-1, -1};
  std::atomic<int> handlersMade_ = 0;
  std::optional<Server::AccessLog> log_;
  std::optional<Server::HttpServer> server_;
};

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream words(line);
  for (std::string word; words >> word;) fields.push_back(word);
  return fields;
}

// One line per request, seven fields apart by single spaces: time, client,
// method, path as received, status, body bytes, seconds. What could fool a
// terminal or shift a field is escaped; the rest of UTF-8 is kept.
TEST(HttpServer, LogsEachRequestAsOneLineOfSevenFields) {
  LoggedServer server;
  Testing::RawServer::Exchange(server.Port(), "GET //page/ HTTP/1.1\r\nConnection: close\r\n\r\n");
  Testing::RawServer::Exchange(server.Port(),
                               "GET /站🚌\x1b[31m\xe2\x80\xae\xe2\x80\xaa\xe2\x81\xa6\xe2\x81\xa9"
                               "\xc2\x80\xc2\x9f\xff\xe2\x80\xa8\xe2\x80\xa9\\/ HTTP/1.1\r\n"
                               "Connection: close\r\n\r\n");
  Testing::RawServer::Exchange(server.Port(), "BREW /page/ HTTP/1.1\r\n\r\n");
  Testing::RawServer::Exchange(server.Port(), "GET\r\n\r\n");
  const std::string logged = server.Logged();
  std::istringstream lines(logged);
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(lines, line);) rows.push_back(Fields(line));
  ASSERT_EQ(rows.size(), 4u) << logged;
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 7u) << logged;
    EXPECT_EQ(row[0].size(), 24u) << row[0];  // 2026-12-07T05:10:31.042Z
    EXPECT_EQ(row[0].back(), 'Z');
    EXPECT_EQ(row[1], "127.0.0.1");
    EXPECT_GE(std::stod(row[6]), 0.0);
  }
  EXPECT_EQ(std::vector(rows[0].begin() + 2, rows[0].end() - 1),
            (std::vector<std::string>{"GET", "//page/", "404", "4"}));  // as received
  EXPECT_EQ(
      rows[1][3],
      "/站🚌\\x1b[31m\\u202e\\u202a\\u2066\\u2069\\xc2\\x80\\xc2\\x9f\\xff\\u2028\\u2029\\\\/");
  EXPECT_EQ(rows[1][4], "404");
  EXPECT_EQ(rows[2][4], "501");  // refused by the event library itself: no method or path
  EXPECT_EQ(rows[3][4], "400");
  EXPECT_EQ(logged.find('\x1b'), std::string::npos);
  // A message keeps its spaces; its controls are escaped all the same.
  EXPECT_EQ(Server::EscapeForLog("error: /tmp/a b\x1b[2J is over"),
            "error: /tmp/a b\\x1b[2J is over");
  EXPECT_EQ(Server::EscapeFieldForLog("a b"), "a\\x20b");
}

// Answers are not held back for the client's delayed ACK: accepted sockets
// inherit TCP_NODELAY from the listening one.
TEST(ListenOn, HandsOutConnectionsWithoutNaglesDelay) {
  const int listener = Server::ListenOn("127.0.0.1", 0);
  const int client = Testing::RawServer::Connect(Server::BoundPort(listener));
  pollfd waiting{listener, POLLIN, 0};
  ASSERT_EQ(::poll(&waiting, 1, 5000), 1);
  const int accepted = ::accept(listener, nullptr, nullptr);
  ASSERT_GE(accepted, 0);
  int noDelay = 0;
  socklen_t size = sizeof noDelay;
  ASSERT_EQ(::getsockopt(accepted, IPPROTO_TCP, TCP_NODELAY, &noDelay, &size), 0);
  EXPECT_NE(noDelay, 0);
  for (const int fd : {accepted, client, listener}) ::close(fd);
}

// A HEAD answer has the GET's length and no body, so the next answer on the
// connection starts right after its headers.
TEST(HttpServer, AnswersHeadWithTheLengthAndNoBody) {
  LoggedServer server;
  const std::string answers = Testing::RawServer::Exchange(
      server.Port(),
      "HEAD /page/ HTTP/1.1\r\nHost: x\r\n\r\nGET /page/ HTTP/1.1\r\nHost: x\r\nConnection: "
      "close\r\n\r\n");
  const std::string length = "Content-Length: " + std::to_string(kPage.size()) + "\r\n";
  const auto headEnd = answers.find("\r\n\r\n");
  ASSERT_NE(headEnd, std::string::npos) << answers;
  EXPECT_NE(answers.substr(0, headEnd).find(length), std::string::npos) << answers;
  EXPECT_TRUE(answers.substr(headEnd + 4).starts_with("HTTP/1.1 200")) << answers;
  EXPECT_TRUE(answers.ends_with("\r\n\r\n" + kPage)) << answers;
  EXPECT_NE(server.Logged().find(" HEAD /page/ 200 0 "), std::string::npos);
}

// A request must be whole within 10 s of its first byte, however it drips;
// a keep-alive connection idle for 5 s is closed.
TEST(HttpServer, CutsSlowRequestsAtTheirDeadlineAndIdleConnections) {
  LoggedServer server;
  using Clock = std::chrono::steady_clock;
  // Until the server closes `socket`, sending a byte each second if `drip`.
  const auto secondsOpen = [](int socket, bool drip) {
    const auto start = Clock::now();
    char byte = 0;
    for (int i = 0; i < 20; ++i) {
      if (drip &&
          !Testing::RawServer::Send(socket, std::string(1, "GET /page/ HTTP/1.1\r\n"[i % 21])))
        break;
      pollfd ready{socket, POLLIN, 0};
      if (::poll(&ready, 1, 1000) == 1 && ::recv(socket, &byte, 1, MSG_DONTWAIT) <= 0) break;
    }
    ::close(socket);
    return std::chrono::duration<double>(Clock::now() - start).count();
  };
  const int idle = Testing::RawServer::Connect(server.Port());
  Testing::RawServer::Send(idle, "GET /page/ HTTP/1.1\r\nHost: x\r\n\r\n");
  std::string answer(4096, '\0');
  ASSERT_GT(::recv(idle, answer.data(), answer.size(), 0), 0);
  auto idleOpen = std::async(std::launch::async, secondsOpen, idle, false);
  const double dripOpen = secondsOpen(Testing::RawServer::Connect(server.Port()), true);
  EXPECT_GT(dripOpen, 9.0);
  EXPECT_LT(dripOpen, 12.5);
  const double idleSeconds = idleOpen.get();
  EXPECT_GT(idleSeconds, 4.0);
  EXPECT_LT(idleSeconds, 7.5);
  EXPECT_NE(server.Logged().find(" 127.0.0.1 - - 408 0 "), std::string::npos);
}

}  // namespace
