#include "lines/page_cache.h"

#include <sys/stat.h>

#include <algorithm>
#include <stdexcept>

#include "lines/data_folders.h"
#include "lines/line_address.h"
#include "lines/line_file.h"
#include "lines/line_page.h"

namespace Lines {

namespace {

namespace fs = std::filesystem;

// The stamp of what `path` resolves to; what is gone has none.
FileStamp Stamp(const fs::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return {};
  return {static_cast<unsigned long>(status.st_ino), static_cast<long long>(status.st_size),
          static_cast<long long>(status.st_ctim.tv_sec) * 1'000'000'000 + status.st_ctim.tv_nsec};
}

bool IsFolder(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

bool AnyAppeared(const std::vector<fs::path>& folders) {
  return std::ranges::any_of(folders, IsFolder);
}

const std::string kServerError = "<!DOCTYPE html>\n<html><body><h1>500</h1></body></html>\n";

}  // namespace

PageCache::PageCache(std::vector<fs::path> dataFolders, Log log)
    : dataFolders_(std::move(dataFolders)), log_(std::move(log)) {}

std::optional<PageCache::CityPlace> PageCache::Place(std::string_view city) const {
  CityPlace place;
  for (const fs::path& dataFolder : dataFolders_) {
    const fs::path folder = dataFolder / fs::u8path(city);
    if (!IsFolder(folder)) {
      place.earlierCityFolders.push_back(folder);
      continue;
    }
    place.folder = folder;
    place.dataFolder = dataFolder;
    return place;
  }
  return std::nullopt;
}

Page PageCache::Answer(std::string_view rawPath) {
  const Address address = ParseAddress(rawPath);
  if (address.kind == Address::Kind::Cities) return CitiesPage(Cities());
  if (address.kind == Address::Kind::Line) return LineAnswer(rawPath, address.city);
  CachedCity* city = address.kind == Address::Kind::Other ? nullptr : CityEntry(address.city);
  if (city == nullptr) return {404, NotFoundPage(PercentDecode(rawPath))};
  if (const auto kept = city->pages.find(std::string(rawPath)); kept != city->pages.end())
    return kept->second;
  const CityIndex& index = *city->index;
  Page page = address.kind == Address::Kind::Stop ? StopPage(index, address.stop)
              : address.kind == Address::Kind::Transfer
                  ? TransferPage(index, address.stop, address.to)
                  : CityLinesPage(index);
  if (city->pages.size() >= kMaxGuidePages) city->pages.clear();
  city->pages.emplace(rawPath, page);
  return page;
}

Page PageCache::LineAnswer(std::string_view rawPath, const std::string& city) {
  // The common case: a page already built from a file that has not changed
  // costs one stat.
  if (const auto cached = lines_.find(rawPath);
      cached != lines_.end() && Stamp(cached->second.file) == cached->second.stamp &&
      !AnyAppeared(cached->second.earlierCityFolders))
    return {200, cached->second.page};

  const std::string path = PercentDecode(rawPath);
  const auto relative = LineFileName(path);
  const auto place = Place(city);
  std::error_code error;
  const fs::path file = place && relative ? place->dataFolder / *relative : fs::path();
  if (file.empty() || !fs::exists(fs::symlink_status(file, error)) ||
      !RegularFileInside(file, place->dataFolder)) {
    lines_.erase(std::string(rawPath));
    return {404, NotFoundPage(path)};
  }
  try {
    const FileStamp stamp = Stamp(file);
    LineFile line = ReadLineFile(file);
    if (line.title.empty()) line.title = file.stem().string();
    CachedLine& cached = lines_[std::string(rawPath)];
    cached = {file, stamp, place->earlierCityFolders, LinePage(line, city)};
    return {200, cached.page};
  } catch (const std::exception& failure) {
    lines_.erase(std::string(rawPath));
    log_(std::string("error: ") + failure.what());
    return {500, kServerError};
  }
}

std::shared_ptr<const CityIndex> PageCache::City(std::string_view city) {
  const CachedCity* entry = CityEntry(city);
  return entry != nullptr ? entry->index : nullptr;
}

PageCache::CachedCity* PageCache::CityEntry(std::string_view city) {
  if (const auto cached = cities_.find(city);
      cached != cities_.end() && Stamp(cached->second.place.folder) == cached->second.stamp &&
      !AnyAppeared(cached->second.place.earlierCityFolders))
    return &cached->second;
  const auto place = Place(city);
  if (!place) {
    cities_.erase(std::string(city));
    return nullptr;
  }
  const FileStamp stamp = Stamp(place->folder);
  auto index = std::make_shared<const CityIndex>(
      CityIndex::Build(city, place->folder, place->dataFolder));
  for (const std::string& problem : index->Unreadable()) log_("error: " + problem);
  CachedCity& entry = cities_[std::string(city)];
  entry = {*place, stamp, std::move(index), {}};
  return &entry;
}

std::vector<CitySummary> PageCache::Cities() {
  std::vector<std::string> names;
  for (const fs::path& dataFolder : dataFolders_) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dataFolder, error)) {
      const std::string name = entry.path().filename().string();
      // A link is another name of a city listed under its own.
      if (IsCityName(name) && !entry.is_symlink(error) && IsFolder(entry.path()))
        names.push_back(name);
    }
  }
  std::ranges::sort(names);
  names.erase(std::unique(names.begin(), names.end()), names.end());
  std::vector<CitySummary> cities;
  for (const std::string& name : names)
    if (const auto index = City(name); index != nullptr && !index->Lines().empty())
      cities.push_back({name, index->Name(), index->Lines().size()});
  return cities;
}

}  // namespace Lines
