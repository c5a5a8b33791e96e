#include "tests/support/raw_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace Testing {

namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

}  // namespace

RawServer::RawServer(Serve serve) : serve_(std::move(serve)) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::listen(listener_, 16) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      ::pipe(wake_) != 0)
    throw std::runtime_error("cannot listen on 127.0.0.1");
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Run(); });
}

RawServer::~RawServer() {
  (void)!::write(wake_[1], "x", 1);
  thread_.join();
  ::close(listener_);
  ::close(wake_[0]);
  ::close(wake_[1]);
}

std::u16string RawServer::Url(std::string_view path) const {
  const std::string url = "http://127.0.0.1:" + std::to_string(port_) + "/" + std::string(path);
  return std::u16string(url.begin(), url.end());
}

int RawServer::UnusedPort() {
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  const bool bound = ::bind(probe, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                     ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0;
  ::close(probe);
  if (!bound) throw std::runtime_error("cannot find a free loopback port");
  return ntohs(address.sin_port);
}

int RawServer::Connect(int port) {
  const int client = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(port);
  if (client < 0 || ::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    throw std::runtime_error("cannot connect to port " + std::to_string(port));
  return client;
}

std::string RawServer::Exchange(int port, std::string_view request) {
  const int client = Connect(port);
  Send(client, request);
  std::string answer;
  char buffer[4096];
  pollfd readable{client, POLLIN, 0};
  while (::poll(&readable, 1, 5000) > 0) {
    const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    answer.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(client);
  return answer;
}

bool RawServer::Send(int socket, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

void RawServer::Reset(int socket) {
  const linger hard{1, 0};
  ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
}

void RawServer::WaitForClose(int socket, int capMilliseconds) {
  char buffer[256];
  pollfd readable{socket, POLLIN, 0};
  while (::poll(&readable, 1, capMilliseconds) > 0 &&
         ::recv(socket, buffer, sizeof buffer, 0) > 0) {
  }
}

void RawServer::Run() {
  for (;;) {
    pollfd waiting[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(waiting, 2, -1) < 0 || (waiting[1].revents & POLLIN)) return;
    const int client = ::accept(listener_, nullptr, nullptr);
    if (client < 0) continue;
    // Read the request head (enough for every test's GET).
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      pollfd readable{client, POLLIN, 0};
      if (::poll(&readable, 1, 2000) <= 0) break;
      const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, static_cast<std::size_t>(got));
    }
    serve_(client, request);
    ::close(client);
  }
}

}  // namespace Testing
