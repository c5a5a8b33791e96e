#include "lines/city_index.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <tuple>

#include "lines/data_folders.h"
#include "lines/display_form.h"
#include "lines/line_file.h"

namespace Lines {

namespace fs = std::filesystem;

namespace {

// A direction's stops into `line`: their names and times; their first
// locations go to `locations`.
void AddDirection(LineFile::Stops&& stops, CityLine& line,
                  std::unordered_map<std::string, std::string>& locations) {
  auto& names = line.directions.emplace_back();
  auto& times = line.times.emplace_back();
  names.reserve(stops.size());
  times.reserve(stops.size());
  for (LineFile::Stop& stop : stops) {
    if (!stop.location.empty()) locations.try_emplace(stop.name, std::move(stop.location));
    names.push_back(std::move(stop.name));
    times.push_back(std::move(stop.times));
  }
}

}  // namespace

std::optional<std::string> ReadCityName(const fs::path& cityFolder, const fs::path& dataFolder) {
  constexpr std::uintmax_t kMaxNameFileBytes = 4096;
  const fs::path nameFile = cityFolder / kCityNameFile;
  std::error_code error;
  if (!RegularFileInside(nameFile, dataFolder) ||
      fs::file_size(nameFile, error) > kMaxNameFileBytes)
    return std::nullopt;
  std::ifstream file(nameFile, std::ios::binary);
  std::string name;
  if (std::getline(file, name) && !name.empty()) return WithoutControls(name);
  return std::nullopt;
}

CityIndex CityIndex::Build(std::string_view city, const fs::path& cityFolder,
                           const fs::path& dataFolder) {
  CityIndex index;
  index.city_ = city;
  index.name_ = ReadCityName(cityFolder, dataFolder).value_or(std::string(city));
  std::error_code error;
  // A plain file in a folder that lies inside the data folder lies inside it
  // too; only links need following.
  const bool folderInside = Inside(cityFolder, dataFolder);
  for (const auto& entry : fs::directory_iterator(cityFolder, error)) {
    const std::string fileName = entry.path().filename().string();
    const auto name = LineOfFile(fileName);
    if (!name) continue;
    const bool plain = folderInside && entry.is_regular_file(error) && !entry.is_symlink(error);
    if (!plain && !RegularFileInside(entry.path(), dataFolder)) {
      index.unreadable_.push_back(entry.path().string() + " is not a regular file inside " +
                                  dataFolder.string());
      continue;
    }
    try {
      LineFile file = ReadLineFile(entry.path());
      CityLine line{{name->kind, file.ref.empty() ? name->designation : file.ref},  // as mapped
                    file.title.empty() ? name->designation : file.title,
                    *LineAddress(fs::path(city) / fileName),
                    {}};
      index.openStreetMap_ = index.openStreetMap_ || file.openStreetMap;
      if (index.source_.empty()) index.source_ = file.source;
      AddDirection(std::move(file.stops), line, index.locations_);
      for (LineFile::Direction& direction : file.moreDirections)
        AddDirection(std::move(direction.stops), line, index.locations_);
      index.lines_.push_back(std::move(line));
    } catch (const std::exception& failure) {
      index.unreadable_.emplace_back(failure.what());
    }
  }
  std::ranges::sort(index.lines_, {}, [](const CityLine& line) {
    return std::tie(line.name.kind, line.name.designation);
  });
  for (std::uint32_t l = 0; l < index.lines_.size(); ++l) {
    const auto& directions = index.lines_[l].directions;
    for (std::uint32_t d = 0; d < directions.size(); ++d)
      for (std::uint32_t p = 0; p < directions[d].size(); ++p)
        index.visits_[directions[d][p]].push_back({l, d, p});
  }
  index.folded_.reserve(index.visits_.size());
  for (const auto& [stop, visits] : index.visits_)
    index.folded_.emplace_back(WidthFolded(stop), &stop);
  for (const auto& [folded, stop] : index.folded_) index.byFoldedName_.try_emplace(folded, stop);
  return index;
}

const std::vector<StopVisit>& CityIndex::Visits(std::string_view stop) const {
  static const std::vector<StopVisit> kNone;
  const auto found = visits_.find(std::string(stop));
  return found == visits_.end() ? kNone : found->second;
}

std::vector<std::string> CityIndex::Stops() const {
  std::vector<std::string> stops;
  stops.reserve(visits_.size());
  for (const auto& [stop, visits] : visits_) stops.push_back(stop);
  std::ranges::sort(stops);
  return stops;
}

std::string_view CityIndex::Location(std::string_view stop) const {
  const auto found = locations_.find(std::string(stop));
  return found == locations_.end() ? std::string_view() : std::string_view(found->second);
}

const std::string* CityIndex::StopNamed(std::string_view typed) const {
  if (const auto exact = visits_.find(std::string(typed)); exact != visits_.end())
    return &exact->first;
  const auto folded = byFoldedName_.find(WidthFolded(typed));
  return folded != byFoldedName_.end() ? folded->second : nullptr;
}

std::vector<std::string> CityIndex::StopsContaining(std::string_view text) const {
  std::vector<std::string> stops;
  const std::string folded = WidthFolded(text);
  if (folded.empty()) return stops;
  for (const auto& [name, stop] : folded_)
    if (name.find(folded) != std::string::npos) stops.push_back(*stop);
  std::ranges::sort(stops);
  return stops;
}

}  // namespace Lines
