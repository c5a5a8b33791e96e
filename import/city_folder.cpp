#include "import/city_folder.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "import/folder_swap.h"
#include "import/on_every_core.h"
#include "lines/city_index.h"
#include "lines/line_file.h"
#include "pinyin/place_names.h"
#include "query/text_trim.h"
#include "web/text_codec.h"

namespace Import {

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary);
  if (!(out << text).flush()) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

fs::path WriteCityFolder(const std::vector<LineText>& lines, const fs::path& dataFolder,
                         const std::string& cityPinyin, const std::string& cityName) {
  std::error_code error;
  fs::create_directories(dataFolder, error);
  fs::path cityFolder = dataFolder / cityPinyin;
  // A link to a folder is an earlier import's other name for a city: replaced.
  if (fs::exists(fs::symlink_status(cityFolder, error)) && !fs::is_directory(cityFolder, error))
    throw std::runtime_error(cityFolder.string() +
                             " is a file, not a folder of lines: move it away first");
  RemoveCityLeftovers(dataFolder);
  const fs::path fresh = FolderBeside(cityFolder, "import");
  try {
    fs::remove_all(fresh);
    fs::create_directory(fresh);
    WriteFile(fresh / Lines::kCityNameFile, Lines::WithoutControls(cityName) + "\n");
    // Creating a thousand files is mostly the kernel's work, which cores share.
    ForEachOnEveryCore(std::span(lines), [&fresh](const LineText& line) {
      WriteFile(fresh / line.fileName, line.text);
    });
    const CitiesLock lock(dataFolder, CitiesLock::Mode::Exclusive);
    SwapIn(fresh, cityFolder);
  } catch (...) {
    fs::remove_all(fresh, error);
    throw;
  }
  return cityFolder;
}

bool LinkCity(const fs::path& dataFolder, const std::string& alias, const std::string& cityPinyin) {
  const fs::path link = dataFolder / alias;
  std::error_code error;
  const auto status = fs::symlink_status(link, error);
  if (fs::exists(status) && !fs::is_symlink(status)) return false;
  // A link to another city's lines keeps leading there.
  const auto other = CityIn(dataFolder, alias);
  const auto city = CityIn(dataFolder, cityPinyin);
  if (fs::is_symlink(status) && other && !(city && SamePlace(*other, *city))) return false;
  // A new link beside it, renamed over it: the alias is never missing.
  const fs::path fresh = FolderBeside(link, "link");
  fs::remove(fresh, error);
  fs::create_directory_symlink(cityPinyin, fresh);
  fs::rename(fresh, link);
  return true;
}

namespace {

struct PlaceParts {
  std::u16string stem;
  std::u16string_view suffix;
};

PlaceParts Parts(std::string_view name) {
  const std::u16string typed = Query::TrimSpaces(Web::FromUtf8(name));
  return {Pinyin::PlaceName(typed), Pinyin::DroppedSuffix(typed)};
}

// What a bare name means by itself: the city.
bool CitySuffix(std::u16string_view suffix) { return suffix == u"市" || suffix == u"特别行政区"; }

bool SameSuffix(std::u16string_view a, std::u16string_view b) {
  return a == b || (a.empty() && CitySuffix(b)) || (b.empty() && CitySuffix(a));
}

}  // namespace

bool SamePlace(std::string_view a, std::string_view b) {
  const PlaceParts one = Parts(a), other = Parts(b);
  return one.stem == other.stem && SameSuffix(one.suffix, other.suffix);
}

std::vector<std::string> FoldersOfPlace(const fs::path& dataFolder, std::string_view typed,
                                        std::string_view keep) {
  const PlaceParts place = Parts(typed);
  struct Held {
    std::string folder, name;
    PlaceParts parts;
  };
  std::vector<Held> stemmed;  // the places of the same stem, `keep` among them
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(dataFolder, error)) {
    const std::string folder = entry.path().filename().string();
    if (!Lines::IsCityName(folder) || entry.is_symlink(error) || !entry.is_directory(error))
      continue;
    if (auto name = CityIn(dataFolder, folder))
      if (PlaceParts parts = Parts(*name); parts.stem == place.stem)
        stemmed.push_back({folder, std::move(*name), std::move(parts)});
  }
  // The place itself, where it is there: then nothing else is it.
  const auto same = std::ranges::count_if(
      stemmed, [&](const Held& held) { return SameSuffix(held.parts.suffix, place.suffix); });
  if (same > 0) {
    std::vector<std::string> folders;
    for (const Held& held : stemmed)
      if (held.folder != keep && SameSuffix(held.parts.suffix, place.suffix))
        folders.push_back(held.folder);
    return folders;
  }

  // A bare name and a county's or league's: one place where it has no rival.
  const auto rivalFree = [](std::u16string_view suffix) {
    return suffix == u"县" || suffix == u"盟";
  };
  std::vector<const Held*> candidates;
  for (const Held& held : stemmed)
    if ((place.suffix.empty() && rivalFree(held.parts.suffix)) ||
        (held.parts.suffix.empty() && rivalFree(place.suffix)))
      candidates.push_back(&held);
  if (candidates.empty()) return {};
  const bool rivals = std::ranges::any_of(stemmed, [&](const Held& held) {
    return held.parts.suffix != candidates.front()->parts.suffix;
  });
  if (!rivals)
    return candidates.front()->folder == keep ? std::vector<std::string>()
                                              : std::vector{candidates.front()->folder};
  if (!place.suffix.empty()) return {};  // the bare name is the other place's
  std::string places;
  for (const Held& held : stemmed) places += (places.empty() ? "" : ", ") + held.name;
  throw ImportError("\"" + std::string(typed) + "\" could mean " + places +
                    ": name the one you mean");
}

std::optional<std::string> CityIn(const fs::path& dataFolder, const std::string& pinyin) {
  return Lines::ReadCityName(dataFolder / pinyin, dataFolder);
}

std::vector<fs::path> RemoveCity(const fs::path& dataFolder, std::string_view city,
                                 std::string_view keep) {
  std::vector<fs::path> folders, links;
  RemoveCityLeftovers(dataFolder);
  for (const std::string& folder : FoldersOfPlace(dataFolder, city, keep))
    folders.push_back(dataFolder / folder);
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(dataFolder, error))
    if (Lines::IsCityName(entry.path().filename().string()) && entry.is_symlink(error))
      links.push_back(entry.path());
  std::vector<fs::path> removed;
  for (const fs::path& link : links)
    if (std::ranges::find(folders, dataFolder / fs::read_symlink(link, error)) != folders.end() &&
        fs::remove(link, error))
      removed.push_back(link);
  for (const fs::path& folder : folders) {
    // Out of sight in one step, then removed: a reader never sees half a city.
    const fs::path gone = FolderBeside(folder, "remove");
    {
      const CitiesLock lock(dataFolder, CitiesLock::Mode::Exclusive);
      fs::rename(folder, gone);
    }
    fs::remove_all(gone);
    removed.push_back(folder);
  }
  return removed;
}

}  // namespace Import
