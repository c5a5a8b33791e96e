#pragma once

#include <string>

#include "server/access_log.h"
#include "server/http_server.h"

namespace Server {

// The lines on this machine (Lines::DataFolders) served inside this process
// on a loopback port the system picks, so that a query needs no separate
// service and two programs never collide. Serves until destroyed; only
// failures are logged, to standard error.
class InProcessSite {
 public:
  InProcessSite();  // throws std::system_error when it cannot listen

  // "http://127.0.0.1:PORT/".
  std::string Base() const;

 private:
  AccessLog log_;
  HttpServer server_;
};

}  // namespace Server
