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

bool IsFolder(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

}  // namespace

PageCache::PageCache(std::vector<fs::path> dataFolders, Log log)
    : dataFolders_(std::move(dataFolders)), log_(std::move(log)) {}

std::optional<PageCache::Located> PageCache::Locate(std::string_view path) const {
  const auto relative = LineFileName(path);
  if (!relative) return std::nullopt;
  Located located;
  for (const fs::path& folder : dataFolders_) {
    const fs::path cityFolder = folder / relative->parent_path();
    if (!IsFolder(cityFolder)) {
      located.earlierCityFolders.push_back(cityFolder);
      continue;
    }
    located.file = folder / *relative;
    std::error_code error;
    if (fs::exists(fs::symlink_status(located.file, error)) &&
        RegularFileInside(located.file, folder))
      return located;
    return std::nullopt;  // the city is this folder's
  }
  return std::nullopt;
}

bool PageCache::Current(const Cached& cached) {
  return Stamp(cached.file) == cached.stamp &&
         std::none_of(cached.earlierCityFolders.begin(), cached.earlierCityFolders.end(), IsFolder);
}

Page PageCache::Answer(std::string_view path) {
  // The common case: a page already built from a file that has not changed
  // costs one stat.
  if (const auto cached = pages_.find(path); cached != pages_.end() && Current(cached->second))
    return {200, cached->second.page};

  auto located = Locate(path);
  if (!located) {
    if (const auto stale = pages_.find(path); stale != pages_.end()) pages_.erase(stale);
    return {404, NotFoundPage(path)};
  }
  try {
    const FileStamp stamp = Stamp(located->file);
    LineFile line = ReadLineFile(located->file);
    if (line.title.empty()) line.title = located->file.stem().string();
    Cached& cached = pages_[std::string(path)];
    cached = {located->file, stamp, std::move(located->earlierCityFolders), LinePage(line)};
    return {200, cached.page};
  } catch (const std::exception& error) {
    pages_.erase(std::string(path));
    log_(std::string("error: ") + error.what());
    return {500, "<!DOCTYPE html>\n<html><body><h1>500</h1></body></html>\n"};
  }
}

}  // namespace Lines
