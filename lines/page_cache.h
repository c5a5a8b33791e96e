#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Lines {

// What tells one version of a file from the next: inode, size and change time.
struct FileStamp {
  unsigned long inode = 0;
  long long size = -1;
  long long changedNanoseconds = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// What a request path comes to: an HTTP status and the HTML page to show.
struct Page {
  int status = 200;
  std::string html;
};

// The pages of the lines in the data folders: a line's address (see
// line_address.h) is answered from its file in the first data folder that has
// a folder for its city; the lines of later folders do not count for that
// city, so the user's own lines of a city replace the sample lines whole.
// Only regular files that resolve inside their data folder count. Pages are
// built once per change of their file and kept while no earlier folder gains
// the city. Not thread-safe: each serving thread has its own.
class PageCache {
 public:
  using Log = std::function<void(std::string_view line)>;

  PageCache(std::vector<std::filesystem::path> dataFolders, Log log);

  // The page for a percent-decoded request path: the line's page, a 404 page,
  // or a 500 page (logged) when the line's file cannot be read.
  Page Answer(std::string_view path);

 private:
  // The file that answers a path, and the folders for its city in earlier
  // data folders, any of which would take the city over by appearing.
  struct Located {
    std::filesystem::path file;
    std::vector<std::filesystem::path> earlierCityFolders;
  };
  std::optional<Located> Locate(std::string_view path) const;

  // A built page and the identity of the file it was built from; a change of
  // any of these rebuilds it.
  struct Cached {
    std::filesystem::path file;
    FileStamp stamp;
    std::vector<std::filesystem::path> earlierCityFolders;  // none of which may appear
    std::string page;
  };

  // Whether the cached page still stands for its path.
  static bool Current(const Cached& cached);

  std::vector<std::filesystem::path> dataFolders_;
  Log log_;
  std::map<std::string, Cached, std::less<>> pages_;  // by request path
};

}  // namespace Lines
