#pragma once

#include <filesystem>
#include <vector>

#include "server/access_log.h"
#include "server/request_handler.h"

namespace Server {

// Handlers that answer with the line pages of `dataFolders`, each with a page
// cache of its own; a file that cannot be read is logged to `log`.
HandlerFactory ServeLinePages(std::vector<std::filesystem::path> dataFolders, AccessLog& log);

}  // namespace Server
