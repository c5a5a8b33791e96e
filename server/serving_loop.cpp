#include "server/serving_loop.h"

#include <event2/buffer.h>
#include <event2/bufferevent.h>
#include <event2/event.h>
#include <event2/http.h>
#include <event2/listener.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <stdexcept>

namespace Server {

namespace {

// Connections are adopted before any of their reads are handled: the
// adopting event runs at a higher priority than the event library's own.
constexpr int kAdoptPriority = 0;
constexpr int kPriorities = 2;
constexpr timeval kAcceptPause{0, 100'000};  // after accept() failed
constexpr std::size_t kMaxHeaderBytes = 8 << 10;
constexpr std::size_t kMaxBodyBytes = 4 << 10;  // a GET has none; anything more is refused
constexpr auto kEveryMethod = EVHTTP_REQ_GET | EVHTTP_REQ_POST | EVHTTP_REQ_HEAD | EVHTTP_REQ_PUT |
                              EVHTTP_REQ_DELETE | EVHTTP_REQ_OPTIONS | EVHTTP_REQ_TRACE |
                              EVHTTP_REQ_CONNECT | EVHTTP_REQ_PATCH;

// The loop running on this thread: the listener's error callback is given
// the event library's context, not ours.
thread_local ServingLoop* runningLoop = nullptr;

template <typename Result>
Result Required(Result result, const char* call) {
  if (!result) throw std::runtime_error(std::string(call) + " failed");
  return result;
}

timeval ToTimeval(std::chrono::seconds seconds) {
  return {static_cast<time_t>(seconds.count()), 0};
}

const char* MethodName(evhttp_cmd_type method) {
  switch (method) {
    case EVHTTP_REQ_GET:
      return "GET";
    case EVHTTP_REQ_HEAD:
      return "HEAD";
    case EVHTTP_REQ_POST:
      return "POST";
    case EVHTTP_REQ_PUT:
      return "PUT";
    case EVHTTP_REQ_DELETE:
      return "DELETE";
    case EVHTTP_REQ_OPTIONS:
      return "OPTIONS";
    case EVHTTP_REQ_TRACE:
      return "TRACE";
    case EVHTTP_REQ_CONNECT:
      return "CONNECT";
    default:
      return "PATCH";
  }
}

// "2026-12-07T05:10:31.042Z"
std::string UtcNow() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[40];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
  std::snprintf(text + length, sizeof text - length, ".%03dZ", static_cast<int>(millis));
  return text;
}

}  // namespace

// What the loop keeps of one client connection: its deadline, and the start
// of the request being read.
struct ServingLoop::Connection {
  Connection(ServingLoop& owner, bufferevent* buffers) : loop(owner), bev(buffers) {}
  ~Connection() {
    if (adopt != nullptr) event_free(adopt);
    if (deadline != nullptr) event_free(deadline);
  }

  static void Adopt(int, short, void* self) { static_cast<Connection*>(self)->Adopt(); }

  // Takes the event library's connection on our buffers, set up by now, under
  // watch; once.
  void Adopt() {
    if (evcon != nullptr) return;
    bufferevent_data_cb read = nullptr, write = nullptr;
    bufferevent_event_cb event = nullptr;
    void* connection = nullptr;
    bufferevent_getcb(bev, &read, &write, &event, &connection);
    evcon = static_cast<evhttp_connection*>(connection);
    evhttp_connection_set_closecb(evcon, Closed, this);
    evbuffer_add_cb(bufferevent_get_input(bev), Received, this);
    evbuffer_add_cb(bufferevent_get_output(bev), Queued, this);
    char* address = nullptr;
    ev_uint16_t port = 0;
    evhttp_connection_get_peer(evcon, &address, &port);
    client = address != nullptr ? address : "-";
  }

  // The first byte of a request starts its deadline.
  static void Received(evbuffer*, const evbuffer_cb_info* info, void* self) {
    auto& connection = *static_cast<Connection*>(self);
    if (info->n_added > 0 && !connection.requestStarted) connection.StartRequest();
  }

  // Bytes the event library queues for the client while no answer of ours is
  // being written are an answer of its own: a refusal (400, 413) to log.
  static void Queued(evbuffer* output, const evbuffer_cb_info* info, void* self) {
    auto& connection = *static_cast<Connection*>(self);
    if (connection.answering || info->orig_size != 0 || info->n_added == 0) return;
    char statusLine[13] = {};
    evbuffer_copyout(output, statusLine, sizeof statusLine - 1);
    const int status = std::strncmp(statusLine, "HTTP/1.", 7) == 0 ? std::atoi(statusLine + 9) : 0;
    if (status >= 400)
      connection.loop.Log(connection, "-", "-", status, "-", connection.requestStarted);
  }

  // Too slow: logged as nginx logs it, and the connection closed unanswered.
  static void DeadlinePassed(int, short, void* self) {
    auto& connection = *static_cast<Connection*>(self);
    connection.loop.Log(connection, "-", "-", 408, "0", connection.requestStarted);
    evhttp_connection_free(connection.evcon);  // calls Closed, which frees `connection`
  }

  static void Closed(evhttp_connection*, void* self) {
    auto& connection = *static_cast<Connection*>(self);
    connection.loop.Forget(connection);
  }

  void StartRequest() {
    requestStarted = lastActive = Clock::now();
    const timeval limit = ToTimeval(kRequestDeadline);
    evtimer_add(deadline, &limit);
  }

  void RequestRead() {
    requestStarted.reset();
    evtimer_del(deadline);
  }

  ServingLoop& loop;
  bufferevent* bev;
  evhttp_connection* evcon = nullptr;
  event* adopt = nullptr;
  event* deadline = nullptr;
  std::optional<Clock::time_point> requestStarted;
  Clock::time_point lastActive = Clock::now();  // accepted, a request begun or answered
  bool answering = false;                       // an answer of ours is being queued
  std::string client = "-";
};

ServingLoop::ServingLoop(int listenFd, std::size_t maxConnections, bool logRequests,
                         RequestHandler handler, AccessLog& log)
    : maxConnections_(maxConnections),
      logRequests_(logRequests),
      handle_(std::move(handler)),
      log_(log) {
  try {
    base_ = Required(event_base_new(), "event_base_new");
    resume_ = Required(evtimer_new(base_, Resume, this), "evtimer_new");
    if (event_base_priority_init(base_, kPriorities) != 0)
      throw std::runtime_error("event_base_priority_init failed");
    http_ = Required(evhttp_new(base_), "evhttp_new");
    evconnlistener* listener =
        Required(evconnlistener_new(base_, nullptr, nullptr,
                                    LEV_OPT_CLOSE_ON_FREE | LEV_OPT_CLOSE_ON_EXEC, -1, listenFd),
                 "evconnlistener_new");
    listenFd = -1;  // the listener's now
    if (evhttp_bind_listener(http_, listener) == nullptr) {
      evconnlistener_free(listener);
      throw std::runtime_error("evhttp_bind_listener failed");
    }
    listener_ = listener;  // evhttp's now
  } catch (...) {
    if (listenFd >= 0) ::close(listenFd);
    Release();
    throw;
  }
  evconnlistener_set_error_cb(listener_, AcceptFailed);
  evhttp_set_timeout(http_, static_cast<int>(kIdleLimit.count()));
  evhttp_set_max_headers_size(http_, kMaxHeaderBytes);
  evhttp_set_max_body_size(http_, kMaxBodyBytes);
  // Every method reaches Answer, which refuses those it does not serve itself.
  evhttp_set_allowed_methods(http_, kEveryMethod);
  evhttp_set_gencb(http_, Answer, this);
  evhttp_set_bevcb(http_, Accepted, this);
}

ServingLoop::~ServingLoop() { Release(); }

void ServingLoop::Release() {
  listener_ = nullptr;                       // accepting stops here
  if (http_ != nullptr) evhttp_free(http_);  // its listener too, and every connection
  connections_.clear();
  if (resume_ != nullptr) event_free(resume_);
  if (base_ != nullptr) event_base_free(base_);
}

void ServingLoop::Run() {
  runningLoop = this;
  event_base_dispatch(base_);
}

void ServingLoop::Stop() {
  // An exit event rather than a break: it holds even before the loop starts.
  event_base_loopexit(base_, nullptr);
}

bufferevent* ServingLoop::Accepted(event_base* base, void* self) {
  auto& loop = *static_cast<ServingLoop*>(self);
  bufferevent* bev = bufferevent_socket_new(base, -1, BEV_OPT_CLOSE_ON_FREE);
  if (bev == nullptr) return nullptr;  // the event library makes one, unwatched
  auto connection = std::make_unique<Connection>(loop, bev);
  connection->deadline = evtimer_new(base, Connection::DeadlinePassed, connection.get());
  connection->adopt = event_new(base, -1, 0, Connection::Adopt, connection.get());
  event_priority_set(connection->adopt, kAdoptPriority);
  event_active(connection->adopt, EV_TIMEOUT, 0);
  if (loop.connections_.size() >= loop.maxConnections_) loop.MakeRoom();
  loop.connections_.emplace(bev, std::move(connection));
  return bev;
}

void ServingLoop::MakeRoom() {
  Connection* longest = nullptr;
  for (const auto& [bev, connection] : connections_)
    if (longest == nullptr || connection->lastActive < longest->lastActive)
      longest = connection.get();
  if (longest == nullptr) return;
  // A burst is accepted in one go, before its connections are adopted.
  longest->Adopt();
  if (longest->requestStarted) Log(*longest, "-", "-", 503, "0", longest->requestStarted);
  evhttp_connection_free(longest->evcon);  // calls Closed, which forgets it
}

void ServingLoop::Answer(evhttp_request* request, void* self) {
  auto& loop = *static_cast<ServingLoop*>(self);
  evhttp_connection* evcon = evhttp_request_get_connection(request);
  const auto found = loop.connections_.find(evhttp_connection_get_bufferevent(evcon));
  Connection* connection = found != loop.connections_.end() ? found->second.get() : nullptr;
  std::optional<Clock::time_point> started;
  if (connection != nullptr) {
    started = connection->requestStarted;
    connection->RequestRead();
  }

  const evhttp_cmd_type method = evhttp_request_get_command(request);
  const char* uri = evhttp_request_get_uri(request);
  const std::string received = uri != nullptr ? uri : "";
  const char* path = evhttp_uri_get_path(evhttp_request_get_evhttp_uri(request));

  evkeyvalq* headers = evhttp_request_get_output_headers(request);
  const bool head = method == EVHTTP_REQ_HEAD;
  Response response;
  if (method == EVHTTP_REQ_GET || head) {
    response = loop.handle_(path != nullptr ? path : "");
  } else {
    response = {405, ""};
    evhttp_add_header(headers, "Allow", "GET, HEAD");
  }
  evhttp_add_header(headers, "Content-Type", std::string(response.type).c_str());
  const std::string bodyBytes = std::to_string(response.html.size());
  // A HEAD answer has the length of the GET's body, and no body.
  if (head) evhttp_add_header(headers, "Content-Length", bodyBytes.c_str());
  evbuffer* body = head ? nullptr : evbuffer_new();
  if (body != nullptr) evbuffer_add(body, response.html.data(), response.html.size());
  if (connection != nullptr) connection->answering = true;
  evhttp_send_reply(request, response.status, nullptr, body);
  if (body != nullptr) evbuffer_free(body);
  if (connection == nullptr) return;
  connection->answering = false;
  connection->lastActive = Clock::now();
  loop.Log(*connection, MethodName(method), received, response.status, head ? "0" : bodyBytes,
           started);
  // A pipelined request already waiting has begun.
  if (evbuffer_get_length(bufferevent_get_input(connection->bev)) > 0) connection->StartRequest();
}

void ServingLoop::AcceptFailed(evconnlistener*, void*) {
  ServingLoop& loop = *runningLoop;
  const int error = EVUTIL_SOCKET_ERROR();
  // Out of file handles all the same: the next accept has the longest wait's.
  if (error == EMFILE || error == ENFILE) loop.MakeRoom();
  ++loop.acceptFailures_;
  if (const auto now = Clock::now(); now - loop.lastReport_ >= std::chrono::seconds(1)) {
    loop.log_.Write("accept() failed " + std::to_string(loop.acceptFailures_) +
                    " times since the last report: " + std::strerror(error));
    loop.acceptFailures_ = 0;
    loop.lastReport_ = now;
  }
  loop.Pause(true);
  evtimer_add(loop.resume_, &kAcceptPause);
}

void ServingLoop::Resume(int, short, void* self) { static_cast<ServingLoop*>(self)->Pause(false); }

void ServingLoop::Forget(Connection& connection) { connections_.erase(connection.bev); }

void ServingLoop::Pause(bool paused) {
  if (listener_ == nullptr) return;  // stopping
  if (paused)
    evconnlistener_disable(listener_);
  else
    evconnlistener_enable(listener_);
}

void ServingLoop::Log(const Connection& connection, std::string_view method, std::string_view path,
                      int status, std::string_view bytes,
                      std::optional<Clock::time_point> started) {
  if (!logRequests_) return;
  char seconds[32] = "-";
  if (started)
    std::snprintf(seconds, sizeof seconds, "%.6f",
                  std::chrono::duration<double>(Clock::now() - *started).count());
  const std::string escapedPath = EscapeFieldForLog(path);
  std::string line = UtcNow();
  for (const std::string_view field :
       {std::string_view(connection.client), method, std::string_view(escapedPath)}) {
    line += ' ';
    line += field.empty() ? "-" : field;
  }
  line += ' ' + std::to_string(status) + ' ' + std::string(bytes) + ' ' + seconds;
  log_.Write(std::move(line));
}

}  // namespace Server
