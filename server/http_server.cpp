#include "server/http_server.h"

#include <event2/thread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <system_error>

#include "server/listen_socket.h"
#include "server/serving_loop.h"

namespace Server {

namespace {

// File handles kept free for what serving needs besides connections: the
// standard streams, the log, the line files being read, the listeners.
constexpr rlim_t kReservedHandles = 32;

// How many connections each of `loops` loops may hold, so that together they
// stay below the process's open-file limit.
std::size_t ConnectionsPerLoop(unsigned loops) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
    return std::size_t{1} << 20;
  const rlim_t usable =
      limit.rlim_cur > kReservedHandles + loops ? limit.rlim_cur - kReservedHandles - loops : 1;
  return std::max<std::size_t>(1, usable / loops);
}

}  // namespace

HttpServer::HttpServer(const Options& options, const HandlerFactory& handlers, AccessLog& log) {
  static const bool threadsReady = evthread_use_pthreads() == 0;  // Stop from another thread
  if (!threadsReady) throw std::runtime_error("evthread_use_pthreads failed");
  listener_ = ListenOn(options.address, options.port);
  port_ = BoundPort(listener_);

  const unsigned count =
      options.threads > 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
  const std::size_t maxConnections = ConnectionsPerLoop(count);
  try {
    for (unsigned i = 0; i < count; ++i) {
      const int fd = ::dup(listener_);  // each loop closes its own
      if (fd < 0) throw std::system_error(errno, std::generic_category(), "dup");
      loops_.push_back(
          std::make_unique<ServingLoop>(fd, maxConnections, options.logRequests, handlers(), log));
    }
  } catch (...) {
    loops_.clear();
    ::close(listener_);
    throw;
  }
  for (const auto& loop : loops_) threads_.emplace_back([&loop = *loop] { loop.Run(); });
}

HttpServer::~HttpServer() {
  Stop();
  for (std::thread& thread : threads_) thread.join();
  loops_.clear();
  ::close(listener_);
}

void HttpServer::Stop() {
  for (const auto& loop : loops_) loop->Stop();
}

}  // namespace Server
