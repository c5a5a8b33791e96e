#include "site/route_site.h"

#include <sys/stat.h>

#include <algorithm>
#include <stdexcept>

#include "site/line_file.h"
#include "site/line_page.h"

namespace Site {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBusSuffix = "lu";
constexpr std::string_view kTrolleybusSuffix = "ludianche";

// A city is plain pinyin; a line may hold anything but path separators,
// control characters or a leading dot.
bool SafeName(std::string_view name, bool city) {
  if (name.empty() || name[0] == '.') return false;
  return std::all_of(name.begin(), name.end(), [city](char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (city) return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
    return byte >= 0x20 && c != '/' && c != '\\' && byte != 0x7F;
  });
}

// "{city}/{LINE}{suffix}.txt" for "/{city}/xianlu/{LINE}{suffix}/".
std::optional<fs::path> RelativeFile(std::string_view path) {
  if (path.size() < 2 || path.front() != '/' || path.back() != '/') return std::nullopt;
  path = path.substr(1, path.size() - 2);
  const auto slash = path.find('/');
  if (slash == path.npos) return std::nullopt;
  const std::string_view city = path.substr(0, slash);
  const std::string_view rest = path.substr(slash + 1);
  constexpr std::string_view kXianlu = "xianlu/";
  if (!rest.starts_with(kXianlu)) return std::nullopt;
  const std::string_view line = rest.substr(kXianlu.size());
  if (!SafeName(city, true) || !SafeName(line, false)) return std::nullopt;
  if (!line.ends_with(kBusSuffix) && !line.ends_with(kTrolleybusSuffix)) return std::nullopt;
  return fs::u8path(city) / fs::u8path(std::string(line) + ".txt");
}

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

RouteSite::RouteSite(std::vector<fs::path> dataDirs, Log log)
    : dataDirs_(std::move(dataDirs)), log_(std::move(log)) {}

std::optional<fs::path> RouteSite::LineFileFor(std::string_view path) const {
  const auto relative = RelativeFile(path);
  if (!relative) return std::nullopt;
  for (const fs::path& folder : dataDirs_) {
    const fs::path file = folder / *relative;
    std::error_code error;
    if (fs::exists(fs::symlink_status(file, error)) && RegularFileInside(file, folder)) return file;
  }
  return std::nullopt;
}

Response RouteSite::Answer(std::string_view path) {
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

}  // namespace Site
