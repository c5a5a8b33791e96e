#include "server/http_server.h"

#include <arpa/inet.h>
#include <event2/buffer.h>
#include <event2/event.h>
#include <event2/http.h>
#include <event2/thread.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace Server {

namespace {

constexpr int kTimeoutSeconds = 10;  // to read a request, or write an answer
constexpr std::size_t kMaxHeaderBytes = 8 << 10;
constexpr std::size_t kMaxBodyBytes = 4 << 10;  // a GET has none; anything more is refused

std::system_error SocketError(const std::string& what) {
  return std::system_error(errno, std::generic_category(), what);
}

// A listening TCP socket on address:port, without SO_REUSEPORT, so that a
// port already taken is an error rather than shared.
int Listen(const std::string& address, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (const int status = getaddrinfo(address.c_str(), service.c_str(), &hints, &found); status != 0)
    throw std::system_error(EINVAL, std::generic_category(),
                            "cannot listen on " + address + ": " + gai_strerror(status));
  const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  const int yes = 1;
  const bool listening =
      fd >= 0 && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) == 0 &&
      // Accepted sockets inherit it: an answer is not held back
      // waiting for the client's delayed ACK of the last one.
      ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes) == 0 &&
      ::bind(fd, found->ai_addr, found->ai_addrlen) == 0 && ::listen(fd, SOMAXCONN) == 0;
  freeaddrinfo(found);
  if (!listening) {
    const auto error = SocketError("cannot listen on " + address + ":" + service);
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

const char* MethodName(evhttp_cmd_type method) {
  switch (method) {
    case EVHTTP_REQ_GET:
      return "GET";
    case EVHTTP_REQ_HEAD:
      return "HEAD";
    case EVHTTP_REQ_POST:
      return "POST";
    default:
      return "OTHER";
  }
}

}  // namespace

struct HttpServer::Worker {
  Worker(const Options& options, RequestHandler handler, AccessLog& accessLog)
      : log(accessLog), logRequests(options.logRequests), handle(std::move(handler)) {}
  ~Worker() {
    if (http != nullptr) evhttp_free(http);
    if (base != nullptr) event_base_free(base);
  }

  static void Handle(evhttp_request* request, void* self) {
    static_cast<Worker*>(self)->Answer(request);
  }

  void Answer(evhttp_request* request) {
    const evhttp_cmd_type method = evhttp_request_get_command(request);
    const char* rawPath = evhttp_uri_get_path(evhttp_request_get_evhttp_uri(request));
    std::size_t length = 0;
    char* decoded = evhttp_uridecode(rawPath != nullptr ? rawPath : "", 0, &length);
    const std::string path(decoded != nullptr ? decoded : "", decoded != nullptr ? length : 0);
    std::free(decoded);

    evkeyvalq* headers = evhttp_request_get_output_headers(request);
    Response response;
    if (method == EVHTTP_REQ_GET || method == EVHTTP_REQ_HEAD) {
      response = handle(path);
    } else {
      response = {405, ""};
      evhttp_add_header(headers, "Allow", "GET, HEAD");
    }
    evhttp_add_header(headers, "Content-Type", "text/html; charset=utf-8");
    evbuffer* body = evbuffer_new();
    evbuffer_add(body, response.html.data(), response.html.size());
    evhttp_send_reply(request, response.status, nullptr, body);
    evbuffer_free(body);
    if (logRequests)
      log.Write(std::string(MethodName(method)) + ' ' + EscapeForLog(path) + ' ' +
                std::to_string(response.status));
  }

  AccessLog& log;
  bool logRequests;
  RequestHandler handle;
  event_base* base = nullptr;
  evhttp* http = nullptr;
};

HttpServer::HttpServer(const Options& options, const HandlerFactory& handlers, AccessLog& log) {
  static const bool threadsReady = evthread_use_pthreads() == 0;  // Stop from another thread
  if (!threadsReady) throw std::system_error(ENOSYS, std::generic_category(), "no event threads");
  listener_ = Listen(options.address, options.port);
  port_ = BoundPort(listener_);

  const unsigned count =
      options.threads > 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
  for (unsigned i = 0; i < count; ++i) {
    auto worker = std::make_unique<Worker>(options, handlers(), log);
    worker->base = event_base_new();
    worker->http = worker->base != nullptr ? evhttp_new(worker->base) : nullptr;
    // Each loop owns a duplicate of the listening socket, which it closes when freed.
    const int fd = worker->http != nullptr ? ::dup(listener_) : -1;
    if (fd < 0 || evhttp_accept_socket(worker->http, fd) != 0) {
      if (fd >= 0) ::close(fd);
      ::close(listener_);
      throw std::system_error(ENOMEM, std::generic_category(), "cannot start serving");
    }
    evhttp_set_timeout(worker->http, kTimeoutSeconds);
    evhttp_set_max_headers_size(worker->http, kMaxHeaderBytes);
    evhttp_set_max_body_size(worker->http, kMaxBodyBytes);
    evhttp_set_gencb(worker->http, &Worker::Handle, worker.get());
    workers_.push_back(std::move(worker));
  }
  for (const auto& worker : workers_)
    threads_.emplace_back([base = worker->base] { event_base_dispatch(base); });
}

HttpServer::~HttpServer() {
  Stop();
  for (std::thread& thread : threads_) thread.join();
  workers_.clear();
  ::close(listener_);
}

void HttpServer::Stop() {
  // An exit event rather than a break: it holds even before the loop starts.
  for (const auto& worker : workers_) event_base_loopexit(worker->base, nullptr);
}

}  // namespace Server
