#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace Testing {

// A bare TCP listener on 127.0.0.1 for answers no well-behaved HTTP server
// gives: silence, a cut or reset connection, hand-written bytes. Each accepted
// connection is handed to `serve` on the listener's thread, one at a time.
class RawServer {
 public:
  using Serve = std::function<void(int socket, const std::string& request)>;

  explicit RawServer(Serve serve);
  ~RawServer();
  RawServer(const RawServer&) = delete;
  RawServer& operator=(const RawServer&) = delete;

  int port() const { return port_; }
  std::u16string Url(std::string_view path) const;

  // A loopback port that nothing listens on (it was free a moment ago).
  static int UnusedPort();

  // The client side: a connection to a loopback port, and a whole exchange
  // (send the request, read the answer until the server closes or 5 s pass).
  static int Connect(int port);
  static std::string Exchange(int port, std::string_view request);

  // Helpers for `serve`.
  // False once the peer has gone.
  static bool Send(int socket, std::string_view bytes);
  static void Reset(int socket);  // closes with RST instead of FIN
  // Holds the connection, silent, until the client hangs up or `cap` passes.
  static void WaitForClose(int socket, int capMilliseconds);

 private:
  void Run();

  Serve serve_;
  int listener_ = -1;
  int port_ = 0;
  int wake_[2] = {-1, -1};
  std::thread thread_;
};

}  // namespace Testing
