#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Site {

// What tells one version of a file from the next: inode, size and change time.
struct FileStamp {
  unsigned long inode = 0;
  long long size = -1;
  long long changedNanoseconds = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

struct Response {
  int status = 200;
  std::string body;
};

// The route site's pages: /{city}/xianlu/{LINE}lu/ for buses and
// /{city}/xianlu/{LINE}ludianche/ for trolleybuses, each from the file
// {city}/{LINE}lu.txt or {city}/{LINE}ludianche.txt in the first data folder
// that has it. Only regular files that resolve inside their folder count.
// Pages are built once per change of their file and kept. Not thread-safe:
// each serving thread has its own.
class RouteSite {
 public:
  using Log = std::function<void(std::string_view line)>;

  RouteSite(std::vector<std::filesystem::path> dataDirs, Log log);

  // The answer for a percent-decoded request path: the page, a 404 page, or a
  // 500 page (logged) when the line's file cannot be read.
  Response Answer(std::string_view path);

  // The file that answers `path`, if any.
  std::optional<std::filesystem::path> LineFileFor(std::string_view path) const;

 private:
  // A built page and the identity of the file it was built from; a change of
  // any of these rebuilds it.
  struct Cached {
    std::filesystem::path file;
    FileStamp stamp;
    std::string page;
  };

  std::vector<std::filesystem::path> dataDirs_;
  Log log_;
  std::map<std::string, Cached, std::less<>> pages_;  // by request path
};

}  // namespace Site
