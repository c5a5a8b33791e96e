#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lines/line_address.h"

namespace Lines {

// One line of a city, as the guide shows it: every direction its file holds,
// each a list of stop names in order.
struct CityLine {
  LineName name;
  std::string title;
  std::string address;  // the line's page
  std::vector<std::vector<std::string>> directions;
  // Per direction, the first and last departures at each stop ("06:05-22:40"),
  // or empty where the line file gives none.
  std::vector<std::vector<std::string>> times{};
};

// Where a line stops at a stop: in which direction, at which position.
struct StopVisit {
  std::uint32_t line;
  std::uint32_t direction;
  std::uint32_t position;
};

// A city's lines and, for each stop, the lines that stop there: what the
// guide's pages are built from. Built once per change of the city's folder.
class CityIndex {
 public:
  CityIndex() = default;
  CityIndex(CityIndex&&) = default;
  CityIndex& operator=(CityIndex&&) = default;
  CityIndex(const CityIndex&) = delete;
  CityIndex& operator=(const CityIndex&) = delete;

  // Reads every line file of `cityFolder` that resolves to a regular file
  // inside `dataFolder`; any other, or one that cannot be read, is left out
  // and named in Unreadable(). `city` is the city's pinyin.
  static CityIndex Build(std::string_view city, const std::filesystem::path& cityFolder,
                         const std::filesystem::path& dataFolder);

  const std::string& City() const { return city_; }
  // The city as the user types it, where its folder says (.city), else its pinyin.
  const std::string& Name() const { return name_; }
  // By kind (buses first), then by designation.
  const std::vector<CityLine>& Lines() const { return lines_; }
  const std::vector<std::string>& Unreadable() const { return unreadable_; }
  // Whether any of its lines comes from OpenStreetMap, which asks for credit.
  bool OpenStreetMap() const { return openStreetMap_; }
  // Where its lines come from, as their files name it (a feed's agencies).
  const std::string& Source() const { return source_; }
  // A stop's location as its line files give it ("longitude|latitude"), or empty.
  std::string_view Location(std::string_view stop) const;

  // Where lines stop at `stop`; empty when it is no stop of the city.
  const std::vector<StopVisit>& Visits(std::string_view stop) const;
  // The stop a typed name means: the stop of that name, else one whose name
  // it is in another width (地铁３号线 for 地铁3号线); null when none.
  const std::string* StopNamed(std::string_view typed) const;
  // The stops whose names contain `text`, in any width, in name order.
  std::vector<std::string> StopsContaining(std::string_view text) const;
  // Every stop name, in name order.
  std::vector<std::string> Stops() const;

 private:
  std::string city_;
  std::string name_;
  std::vector<CityLine> lines_;
  std::vector<std::string> unreadable_;
  bool openStreetMap_ = false;
  std::string source_;
  std::unordered_map<std::string, std::string> locations_;
  std::unordered_map<std::string, std::vector<StopVisit>> visits_;
  // Each stop's name width-folded, pointing into visits_'s keys (which a move
  // keeps where they are; hence no copies).
  std::vector<std::pair<std::string, const std::string*>> folded_;
  std::unordered_map<std::string_view, const std::string*> byFoldedName_;  // into folded_
};

// The file in a city's folder that holds the city's name as the user typed it.
inline constexpr char kCityNameFile[] = ".city";

// The first line of a city folder's .city, when it is a small regular file
// inside the data folder (never a FIFO that would hang the reader, nor a link
// out); nothing when there is none.
std::optional<std::string> ReadCityName(const std::filesystem::path& cityFolder,
                                        const std::filesystem::path& dataFolder);

}  // namespace Lines
