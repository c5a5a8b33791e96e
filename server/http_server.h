#pragma once

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "server/access_log.h"
#include "server/request_handler.h"

namespace Server {

class ServingLoop;

// An HTTP server, event-driven (libevent): one event loop per thread
// (ServingLoop), all accepting from one listening socket, each with its own
// handler. A slow client holds no thread; a request must arrive whole within
// 10 s of its first byte, and a connection on which nothing moves for 5 s is
// closed; connections stay below the open-file limit; headers are capped and
// request bodies past a few KiB are refused with 413; only GET and HEAD are
// served, byte ranges never. Each request is logged, one line each.
class HttpServer {
 public:
  struct Options {
    std::string address = "127.0.0.1";
    int port = 0;             // 0: a free port the system picks
    unsigned threads = 0;     // 0: one per core
    bool logRequests = true;  // false: only failures are logged
  };

  // Listens at once. Throws BadAddress (listen_socket.h) for an address that
  // is none, std::system_error with the socket call's errno, or
  // std::runtime_error naming the event library call that failed.
  HttpServer(const Options& options, const HandlerFactory& handlers, AccessLog& log);
  ~HttpServer();  // stops
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  int Port() const { return port_; }
  // Ends serving; safe from any thread. The destructor waits for the loops.
  void Stop();

 private:
  int listener_ = -1;
  int port_ = 0;
  std::vector<std::unique_ptr<ServingLoop>> loops_;
  std::vector<std::thread> threads_;
};

}  // namespace Server
