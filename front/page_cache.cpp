#include "front/page_cache.h"

#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "front/assets.h"
#include "front/guide_json.h"
#include "front/line_page.h"
#include "lines/data_folders.h"
#include "lines/line_address.h"
#include "lines/line_file.h"

namespace Front {

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

constexpr std::string_view kJsonType = "application/json";

// The city whose guide data `path` asks for ("/beijing/guide.json"), if any.
std::optional<std::string> CityOfData(std::string_view path) {
  const std::string suffix = "/" + std::string(kCityDataFile);
  if (!path.starts_with('/') || !path.ends_with(suffix)) return std::nullopt;
  const std::string_view city = path.substr(1, path.size() - 1 - suffix.size());
  if (!Lines::IsCityName(city)) return std::nullopt;
  return std::string(city);
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
  if (auto asset = Asset(rawPath)) return *std::move(asset);
  if (rawPath == kCitiesDataPath) return {200, CitiesJson(Cities()), kJsonType};
  if (const auto city = CityOfData(rawPath)) {
    CachedCity* entry = CityEntry(*city);
    if (entry == nullptr) return {404, "null", kJsonType};
    return Kept(*entry, "json", [&] { return Page{200, GuideJson(*entry->index), kJsonType}; });
  }
  const Address address = Lines::ParseAddress(rawPath);
  switch (address.kind) {
    case Address::Kind::Cities:
      return CitiesPage(Cities());
    case Address::Kind::Line:
      return LineAnswer(Lines::PercentDecode(rawPath), address.city);
    case Address::Kind::Other:
      return {404, HtmlPage("404 没有这个页面", "<p>" + Bdi(Lines::PercentDecode(rawPath)) +
                                                    "</p>\n<p><a href=\"/\">回到首页</a></p>\n")};
    default:
      return GuideAnswer(address, rawPath);
  }
}

Page PageCache::GuideAnswer(const Address& address, std::string_view rawPath) {
  CachedCity* city = CityEntry(address.city);
  if (city == nullptr) return NoSuchCity(rawPath);
  // The names cannot hold a NUL: a request path ends at one.
  const std::string key =
      std::to_string(static_cast<int>(address.kind)) + '\0' + address.stop + '\0' + address.to;
  return Kept(*city, key, [&] {
    const CityIndex& index = *city->index;
    return address.kind == Address::Kind::Stop       ? StopPage(index, address.stop)
           : address.kind == Address::Kind::Transfer ? TransferPage(index, address.stop, address.to)
                                                     : CityLinesPage(index);
  });
}

Page PageCache::Kept(CachedCity& city, const std::string& key, const std::function<Page()>& make) {
  if (const auto kept = city.pages.find(key); kept != city.pages.end()) return kept->second;
  Page page = make();
  const std::size_t bytes = key.size() + page.html.size();
  if (guideBytes_ + bytes > kMaxGuideBytes)
    for (auto& [name, cached] : cities_) ForgetGuidePages(cached);
  if (bytes <= kMaxGuideBytes) {
    city.pages.emplace(key, page);
    guideBytes_ += bytes;
  }
  return page;
}

Page PageCache::NoSuchCity(std::string_view rawPath) {
  return NoSuchCityPage(Cities(), Lines::PercentDecode(rawPath));
}

void PageCache::ForgetGuidePages(CachedCity& city) {
  for (const auto& [key, page] : city.pages) guideBytes_ -= key.size() + page.html.size();
  city.pages.clear();
}

Page PageCache::LineAnswer(std::string_view path, const std::string& city) {
  // The common case: a page already built from a file that has not changed
  // costs one stat.
  if (const auto cached = lines_.find(path); cached != lines_.end() &&
                                             Stamp(cached->second.file) == cached->second.stamp &&
                                             !AnyAppeared(cached->second.earlierCityFolders))
    return {200, cached->second.page};

  const auto relative = Lines::LineFileName(path);
  CachedCity* entry = CityEntry(city);
  if (entry == nullptr) return NoSuchCity(path);
  const CityPlace& place = entry->place;
  std::error_code error;
  const fs::path file = relative ? place.dataFolder / *relative : fs::path();
  if (file.empty() || !fs::exists(fs::symlink_status(file, error)) ||
      !Lines::RegularFileInside(file, place.dataFolder)) {
    lines_.erase(std::string(path));
    const CityIndex& index = *entry->index;
    const PageCity context{index.City(), index.Name(), index.OpenStreetMap(), index.Source()};
    return {404, HtmlPage(IsolatedText(index.Name()) + " 404 没有这条线路",
                          Bdi(index.Name()) + " 404 没有这条线路",
                          "<p>" + Bdi(path) + "</p>\n<h2>本市的线路</h2>\n" + CityLinesList(index),
                          &context)};
  }
  try {
    const FileStamp stamp = Stamp(file);
    LineFile line = Lines::ReadLineFile(file);
    if (line.title.empty()) line.title = file.stem().string();
    CachedLine& cached = lines_[std::string(path)];
    const CityIndex& index = *entry->index;
    const PageCity context{index.City(), index.Name(), index.OpenStreetMap(), index.Source()};
    cached = {file, stamp, place.earlierCityFolders, LinePage(line, context)};
    return {200, cached.page};
  } catch (const std::exception& failure) {
    lines_.erase(std::string(path));
    log_(std::string("error: ") + failure.what());
    return {500, kServerError};
  }
}

std::size_t PageCache::KeptBytes() const {
  std::size_t bytes = guideBytes_;
  for (const auto& [path, line] : lines_) bytes += path.size() + line.page.size();
  return bytes;
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
    if (const auto gone = cities_.find(city); gone != cities_.end()) {
      ForgetGuidePages(gone->second);
      cities_.erase(gone);
    }
    return nullptr;
  }
  if (const auto stale = cities_.find(city); stale != cities_.end())
    ForgetGuidePages(stale->second);
  const FileStamp stamp = Stamp(place->folder);
  auto index =
      std::make_shared<const CityIndex>(CityIndex::Build(city, place->folder, place->dataFolder));
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
      if (Lines::IsCityName(name) && !entry.is_symlink(error) && IsFolder(entry.path()))
        names.push_back(name);
    }
  }
  std::ranges::sort(names);
  names.erase(std::unique(names.begin(), names.end()), names.end());
  // A city in two folders (an import under a pinyin of its own beside the
  // sample lines, say) is listed once, under the first of its pinyins.
  std::set<std::string> listed;
  std::vector<CitySummary> cities;
  for (const std::string& name : names)
    if (const auto index = City(name);
        index != nullptr && !index->Lines().empty() && listed.insert(index->Name()).second)
      cities.push_back({name, index->Name(), index->Lines().size()});
  return cities;
}

}  // namespace Front
