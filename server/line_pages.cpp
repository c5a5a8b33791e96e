#include "server/line_pages.h"

#include <memory>

#include "front/page_cache.h"

namespace Server {

HandlerFactory ServeLinePages(std::vector<std::filesystem::path> dataFolders, AccessLog& log) {
  return [dataFolders = std::move(dataFolders), &log]() -> RequestHandler {
    auto cache = std::make_shared<Front::PageCache>(
        dataFolders, [&log](std::string_view line) { log.Write(EscapeForLog(line)); });
    return [cache](std::string_view path) {
      Front::Page page = cache->Answer(path);
      return Response{page.status, std::move(page.html), page.type};
    };
  };
}

}  // namespace Server
