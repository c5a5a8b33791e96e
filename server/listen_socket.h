#pragma once

#include <stdexcept>
#include <string>

namespace Server {

// An address to listen on that does not resolve or is no address at all.
class BadAddress : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A listening TCP socket on address:port, without SO_REUSEPORT, so that a
// port already taken is an error rather than shared. Throws BadAddress, or
// std::system_error with the socket call's errno (EADDRINUSE: taken).
int ListenOn(const std::string& address, int port);

// The port a listening socket is bound to.
int BoundPort(int fd);

}  // namespace Server
