#include "lines/page_cache.h"

#include <sys/stat.h>

#include <algorithm>
#include <stdexcept>

#include "lines/line_address.h"
#include "lines/line_file.h"
#include "lines/line_page.h"

namespace Lines {

namespace {

namespace fs = std::filesystem;

// Whether `file` is a regular file whose real location lies inside `folder`:
// a symbolic link out of the data folder is not served.
bool RegularFileInside(const fs::path& file, const fs::path& folder) {
  std::error_code error;
  const fs::path real = fs::canonical(file, error);
  if (error || !fs::is_regular_file(real, error)) return false;
  const fs::path root = fs::canonical(folder, error);
  if (error) return false;
  const auto [rootEnd, realAt] = std::mismatch(root.begin(), root.end(), real.begin(), real.end());
  return rootEnd == root.end();
}

// The stamp of the file `file` resolves to; a file that is gone has none.
FileStamp Stamp(const fs::path& file) {
  struct stat status {};
  if (::stat(file.c_str(), &status) != 0) return {};
  return {static_cast<unsigned long>(status.st_ino), static_cast<long long>(status.st_size),
          static_cast<long long>(status.st_ctim.tv_sec) * 1'000'000'000 + status.st_ctim.tv_nsec};
}

}  // namespace

PageCache::PageCache(std::vector<fs::path> dataFolders, Log log)
    : dataFolders_(std::move(dataFolders)), log_(std::move(log)) {}

std::optional<fs::path> PageCache::LineFileFor(std::string_view path) const {
  const auto relative = LineFileName(path);
  if (!relative) return std::nullopt;
  for (const fs::path& folder : dataFolders_) {
    const fs::path file = folder / *relative;
    std::error_code error;
    if (fs::exists(fs::symlink_status(file, error)) && RegularFileInside(file, folder)) return file;
  }
  return std::nullopt;
}

Page PageCache::Answer(std::string_view path) {
  // The common case: a page already built from a file that has not changed
  // costs one stat.
  if (const auto cached = pages_.find(path);
      cached != pages_.end() && Stamp(cached->second.file) == cached->second.stamp)
    return {200, cached->second.page};

  const auto file = LineFileFor(path);
  if (!file) {
    if (const auto stale = pages_.find(path); stale != pages_.end()) pages_.erase(stale);
    return {404, NotFoundPage(path)};
  }
  try {
    const FileStamp stamp = Stamp(*file);
    LineFile line = ReadLineFile(*file);
    if (line.title.empty()) line.title = file->stem().string();
    Cached& cached = pages_[std::string(path)];
    cached = {*file, stamp, LinePage(line)};
    return {200, cached.page};
  } catch (const std::exception& error) {
    pages_.erase(std::string(path));
    log_(std::string("error: ") + error.what());
    return {500, "<!DOCTYPE html>\n<html><body><h1>500</h1></body></html>\n"};
  }
}

}  // namespace Lines
