#include "tests/support/misbehaving_peers.h"

#include <thread>

namespace Testing {

using namespace std::chrono_literals;
using Web::FailureKind;

Web::FetchLimits ShortLimits() {
  Web::FetchLimits limits;
  limits.connectTimeout = 2s;
  limits.idleTimeout = 2s;
  limits.totalTimeout = 4s;
  limits.maxBodyBytes = std::size_t{64} * 1024;
  return limits;
}

std::vector<MisbehavingPeer> MisbehavingPeers() {
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";
  const auto redirectTo = [](const std::string& location) {
    return [location](int s, const std::string&) {
      RawServer::Send(
          s, "HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n");
    };
  };
  // Sends `line` over and over (for at most a few seconds) after `start`.
  const auto flood = [](const std::string& start, const std::string& line) {
    return [start, line](int s, const std::string&) {
      std::string block;
      while (block.size() < std::size_t{64} * 1024) block += line;
      const auto until = std::chrono::steady_clock::now() + 6s;
      for (bool open = RawServer::Send(s, start); open && std::chrono::steady_clock::now() < until;)
        open = RawServer::Send(s, block);
    };
  };
  return {
      {"accepts and never answers",
       [](int s, const std::string&) { RawServer::WaitForClose(s, 10'000); },
       FailureKind::TimedOut},
      {"stalls after the headers",
       [head](int s, const std::string&) {
         RawServer::Send(s, head + "0123456789");
         RawServer::WaitForClose(s, 10'000);
       },
       FailureKind::TimedOut},
      {"drips a byte at a time",
       [](int s, const std::string&) {
         RawServer::Send(s, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
         // 4 bytes a second: never idle, never done.
         for (int i = 0; i < 40 && RawServer::Send(s, "x"); ++i) std::this_thread::sleep_for(250ms);
       },
       FailureKind::TimedOut},
      {"closes mid-body", [head](int s, const std::string&) { RawServer::Send(s, head + "01234"); },
       FailureKind::ConnectionClosed},
      {"resets mid-body",
       [head](int s, const std::string&) {
         RawServer::Send(s, head + "01234");
         RawServer::Reset(s);
       },
       FailureKind::ConnectionClosed},
      {"sends an endless body",
       [](int s, const std::string&) {
         RawServer::Send(s, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
         const std::string block(1 << 20, 'x');
         for (int sent = 0; sent < 1024 && RawServer::Send(s, block); ++sent) {
         }
       },
       FailureKind::BodyTooLarge},
      {"breaks its chunks",
       [](int s, const std::string&) {
         RawServer::Send(s, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nab\r\n");
       },
       FailureKind::ConnectionClosed},
      {"sends a length too large to read",
       [](int s, const std::string&) {
         RawServer::Send(s,
                         "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\n"
                         "[{name:'东站'}]}");
       },
       FailureKind::BadFraming},
      {"floods trailer lines after a chunked body",
       flood("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
             "12\r\n[{name:'东站'}]}\r\n0\r\n",
             "X-Trailer: 0123456789\r\n"),
       FailureKind::HeadersTooLarge},
      {"floods header lines", flood("HTTP/1.1 200 OK\r\n", "X-Header: 0123456789\r\n"),
       FailureKind::HeadersTooLarge},
      {"sends one endless header line", flood("HTTP/1.1 200 OK\r\nX-Long: ", "0123456789"),
       FailureKind::HeadersTooLarge},
      {"answers without HTTP",
       [](int s, const std::string&) { RawServer::Send(s, "[{name:'东站'}]}\n"); },
       FailureKind::NotHttp},
      {"redirects in a loop", redirectTo("/page"), FailureKind::TooManyRedirects},
      {"redirects to file://", redirectTo("file:///etc/passwd"), FailureKind::RedirectRefused},
      {"redirects to ftp://", redirectTo("ftp://127.0.0.1/page"), FailureKind::RedirectRefused},
  };
}

}  // namespace Testing
