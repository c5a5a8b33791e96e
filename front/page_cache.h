#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "front/guide_pages.h"
#include "front/html.h"
#include "lines/city_index.h"

namespace Front {

using Lines::Address;
using Lines::CityIndex;

// What tells one version of a file or folder from the next: inode, size and
// change time.
struct FileStamp {
  unsigned long inode = 0;
  long long size = -1;
  long long changedNanoseconds = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The route site's pages (line_address.h) from the data folders. A city is
// the first data folder's that has a folder for it; the lines of later folders
// do not count for that city, so the user's own lines of a city replace the
// sample lines whole. Only regular files that resolve inside their data
// folder count. A line's page is built once per change of its file; a city's
// index, and the guide pages asked of it, once per change of its folder; all
// are kept while no earlier folder gains the city. Pages are kept by what
// their address means, so that every spelling of an address (%41 for A, say)
// finds one page, and the guide's pages up to kMaxGuideBytes in all.
// Not thread-safe: each serving thread has its own.
class PageCache {
 public:
  using Log = std::function<void(std::string_view line)>;

  // Past this, the kept guide pages are dropped and kept anew: transfer pages
  // alone could number the square of the stops. (Line pages are bounded by
  // the line files.)
  static constexpr std::size_t kMaxGuideBytes = 16u << 20;

  PageCache(std::vector<std::filesystem::path> dataFolders, Log log);

  // The page for a request path as received (percent-encoded): the page
  // asked for, a 404 page, or a 500 page (logged) when a line's file cannot
  // be read.
  Page Answer(std::string_view rawPath);

  // The index of a city, built or kept; null when no data folder has it.
  std::shared_ptr<const CityIndex> City(std::string_view city);

  // The cities of every data folder, the first folder's winning.
  std::vector<CitySummary> Cities();

  // The bytes of the pages kept: the guide's, and all.
  std::size_t GuideBytes() const { return guideBytes_; }
  std::size_t KeptBytes() const;

 private:
  // Where a city's lines are, and the folders for it in earlier data folders,
  // any of which would take the city over by appearing.
  struct CityPlace {
    std::filesystem::path folder;
    std::filesystem::path dataFolder;
    std::vector<std::filesystem::path> earlierCityFolders;
  };
  std::optional<CityPlace> Place(std::string_view city) const;

  struct CachedLine {
    std::filesystem::path file;
    FileStamp stamp;
    std::vector<std::filesystem::path> earlierCityFolders;
    std::string page;
  };
  struct CachedCity {
    CityPlace place;
    FileStamp stamp;
    std::shared_ptr<const CityIndex> index;
    std::unordered_map<std::string, Page> pages;  // the guide's, by what the address means
  };
  // The city's entry, current; null when no data folder has the city.
  CachedCity* CityEntry(std::string_view city);

  Page LineAnswer(std::string_view path, const std::string& city);
  Page GuideAnswer(const Address& address, std::string_view rawPath);
  // The city's page kept under `key`, made and kept when there is none.
  Page Kept(CachedCity& city, const std::string& key, const std::function<Page()>& make);
  // 404: "没有这个城市", with the cities there are.
  Page NoSuchCity(std::string_view rawPath);
  void ForgetGuidePages(CachedCity& city);

  std::vector<std::filesystem::path> dataFolders_;
  Log log_;
  std::map<std::string, CachedLine, std::less<>> lines_;   // by the decoded path
  std::map<std::string, CachedCity, std::less<>> cities_;  // by pinyin
  std::size_t guideBytes_ = 0;
};

}  // namespace Front
