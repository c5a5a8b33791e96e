#include "site/local_site.h"

#include <unistd.h>

#include "site/line_folders.h"

namespace Site {

namespace {

SiteServer::Options LocalOptions() {
  SiteServer::Options options;
  options.dataDirs = LineFolders();
  options.threads = 1;  // one user
  options.logRequests = false;
  return options;
}

}  // namespace

LocalSite::LocalSite() : log_(STDERR_FILENO), server_(LocalOptions(), log_) {}

std::string LocalSite::Base() const {
  return "http://127.0.0.1:" + std::to_string(server_.Port()) + "/";
}

}  // namespace Site
