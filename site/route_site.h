#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace httplib {
class Server;
}

namespace Site {

// The bundled route site: one page per line file under a data folder,
// /{city}/xianlu/{LINE}lu/ for buses and /{city}/xianlu/{LINE}ludianche/ for
// trolleybuses. Pages are UTF-8 HTML whose script holds the stop records.
class RouteSite {
 public:
  explicit RouteSite(std::filesystem::path dataDir);

  // The page for a percent-decoded request path, or nothing when no line
  // file answers to it (or the path is not a line address at all).
  std::optional<std::string> PageFor(std::string_view path) const;

  // Serves the pages on `server`, with a 404 page for everything else and one
  // access-log line per request on standard output.
  void Mount(httplib::Server& server) const;

 private:
  std::optional<std::filesystem::path> LineFile(std::string_view path) const;

  std::filesystem::path dataDir_;
};

}  // namespace Site
