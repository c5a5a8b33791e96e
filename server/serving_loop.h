#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "server/access_log.h"
#include "server/request_handler.h"

struct event;
struct event_base;
struct evhttp;
struct evconnlistener;
struct bufferevent;
struct evhttp_request;

namespace Server {

// One event loop serving HTTP from a listening socket it shares with the
// other loops, with a handler of its own. A request's headers and body must
// arrive within kRequestDeadline of its first byte; a connection on which
// nothing moves for kIdleLimit (a keep-alive connection between requests, a
// client that does not read its answer) is closed. It holds at most
// `maxConnections`: a new one closes the one that has waited longest, so that
// slow clients cannot lock others out. For a moment after accept() fails
// (out of file handles, say) it takes no new ones, so that it never spins.
class ServingLoop {
 public:
  static constexpr std::chrono::seconds kRequestDeadline{10};
  static constexpr std::chrono::seconds kIdleLimit{5};

  // `listenFd` is the loop's own duplicate, which it closes. Throws
  // std::runtime_error naming the event library call that failed.
  ServingLoop(int listenFd, std::size_t maxConnections, bool logRequests, RequestHandler handler,
              AccessLog& log);
  ~ServingLoop();
  ServingLoop(const ServingLoop&) = delete;
  ServingLoop& operator=(const ServingLoop&) = delete;

  void Run();   // until Stop
  void Stop();  // from any thread

 private:
  struct Connection;
  using Clock = std::chrono::steady_clock;

  static bufferevent* Accepted(event_base* base, void* self);
  static void Answer(evhttp_request* request, void* self);
  static void AcceptFailed(evconnlistener* listener, void* self);
  static void Resume(int, short, void* self);

  void Release();
  void MakeRoom();
  void Forget(Connection& connection);
  void Pause(bool paused);
  // One line: time, client, method, path as received, status, body bytes and
  // the seconds from the request's first byte to its answer.
  void Log(const Connection& connection, std::string_view method, std::string_view path, int status,
           std::string_view bytes, std::optional<Clock::time_point> started);

  std::size_t maxConnections_;
  bool logRequests_;
  RequestHandler handle_;
  AccessLog& log_;
  event_base* base_ = nullptr;
  evhttp* http_ = nullptr;
  evconnlistener* listener_ = nullptr;
  event* resume_ = nullptr;         // ends a pause after accept() failed
  std::size_t acceptFailures_ = 0;  // not yet reported
  Clock::time_point lastReport_{};
  std::unordered_map<bufferevent*, std::unique_ptr<Connection>> connections_;
};

}  // namespace Server
