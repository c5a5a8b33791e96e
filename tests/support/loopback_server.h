#pragma once

#include <httplib.h>

#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace Testing {

// A real HTTP server on 127.0.0.1 and an ephemeral port, in this process.
// Register handlers on server(), then Start(); the destructor stops it.
class LoopbackServer {
 public:
  LoopbackServer() { port_ = server_.bind_to_any_port("127.0.0.1"); }
  ~LoopbackServer() {
    server_.stop();
    if (thread_.joinable()) thread_.join();
  }
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  httplib::Server& server() { return server_; }

  void Start() {
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();
  }

  int port() const { return port_; }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
  std::u16string Url(std::string_view path) const {
    const std::string url = Base() + std::string(path);
    return std::u16string(url.begin(), url.end());
  }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
};

}  // namespace Testing
