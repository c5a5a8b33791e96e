#pragma once

#include <string>

#include "site/access_log.h"
#include "site/site_server.h"

namespace Site {

// The lines on this machine (LineFolders) served inside this process on a
// loopback port the system picks, so that a query needs no separate service
// and two programs never collide. Serves until destroyed; only failures are
// logged, to standard error.
class LocalSite {
 public:
  LocalSite();  // throws std::system_error when it cannot listen

  // "http://127.0.0.1:PORT/".
  std::string Base() const;

 private:
  AccessLog log_;
  SiteServer server_;
};

}  // namespace Site
