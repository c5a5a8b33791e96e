#include "server/in_process_site.h"

#include <unistd.h>

#include "lines/data_folders.h"
#include "server/line_pages.h"

namespace Server {

namespace {

const HttpServer::Options kOneUser{.threads = 1, .logRequests = false};

}  // namespace

InProcessSite::InProcessSite()
    : log_(STDERR_FILENO), server_(kOneUser, ServeLinePages(Lines::DataFolders(), log_), log_) {}

std::string InProcessSite::Base() const {
  return "http://127.0.0.1:" + std::to_string(server_.Port()) + "/";
}

}  // namespace Server
