#include "tests/support/misbehaving_peers.h"

#include <thread>

namespace Testing {

using namespace std::chrono_literals;

Inets::FetchLimits ShortLimits() {
  Inets::FetchLimits limits;
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
  return {
      {"accepts and never answers",
       [](int s, const std::string&) { RawServer::WaitForClose(s, 10'000); }, "timed out"},
      {"stalls after the headers",
       [head](int s, const std::string&) {
         RawServer::Send(s, head + "0123456789");
         RawServer::WaitForClose(s, 10'000);
       },
       "timed out"},
      {"drips a byte at a time",
       [](int s, const std::string&) {
         RawServer::Send(s, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
         // 4 bytes a second: never idle, never done.
         for (int i = 0; i < 40 && RawServer::Send(s, "x"); ++i) std::this_thread::sleep_for(250ms);
       },
       "timed out"},
      {"closes mid-body", [head](int s, const std::string&) { RawServer::Send(s, head + "01234"); },
       "connection closed"},
      {"resets mid-body",
       [head](int s, const std::string&) {
         RawServer::Send(s, head + "01234");
         RawServer::Reset(s);
       },
       ""},
      {"sends an endless body",
       [](int s, const std::string&) {
         RawServer::Send(s, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
         const std::string block(1 << 20, 'x');
         for (int sent = 0; sent < 1024 && RawServer::Send(s, block); ++sent) {
         }
       },
       "body too large"},
      {"breaks its chunks",
       [](int s, const std::string&) {
         RawServer::Send(s, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nab\r\n");
       },
       ""},
      {"redirects in a loop", redirectTo("/page"), "too many redirects"},
      {"redirects to file://", redirectTo("file:///etc/passwd"), "redirect refused"},
      {"redirects to ftp://", redirectTo("ftp://127.0.0.1/page"), "redirect refused"},
  };
}

}  // namespace Testing
