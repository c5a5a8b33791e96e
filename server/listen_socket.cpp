#include "server/listen_socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace Server {

namespace {

// Digits and dots, or a colon: meant as a numeric address, never a host
// name to look up.
bool LooksNumeric(const std::string& address) {
  return address.find(':') != address.npos ||
         address.find_first_not_of("0123456789.") == address.npos;
}

}  // namespace

int ListenOn(const std::string& address, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV | (LooksNumeric(address) ? AI_NUMERICHOST : 0);
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (const int status = getaddrinfo(address.c_str(), service.c_str(), &hints, &found); status != 0)
    throw BadAddress("cannot listen on " + address + ": " + gai_strerror(status));
  const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  const int yes = 1;
  const char* failed = fd < 0 ? "socket" : nullptr;
  if (failed == nullptr && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) != 0)
    failed = "setsockopt";
  // Accepted sockets inherit it: an answer is not held back waiting for the
  // client's delayed ACK of the last one.
  if (failed == nullptr && ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes) != 0)
    failed = "setsockopt";
  if (failed == nullptr && ::bind(fd, found->ai_addr, found->ai_addrlen) != 0) failed = "bind";
  if (failed == nullptr && ::listen(fd, SOMAXCONN) != 0) failed = "listen";
  freeaddrinfo(found);
  if (failed != nullptr) {
    const std::system_error error(errno, std::generic_category(),
                                  "cannot listen on " + address + ":" + service + ": " + failed);
    if (fd >= 0) ::close(fd);
    throw error;
  }
  return fd;
}

int BoundPort(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.ss_family == AF_INET6
                   ? reinterpret_cast<const sockaddr_in6&>(address).sin6_port
                   : reinterpret_cast<const sockaddr_in&>(address).sin_port);
}

}  // namespace Server
