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
  RemoveLeftoversBeside(cityFolder, "import");
  const fs::path fresh = FolderBeside(cityFolder, "import");
  try {
    fs::remove_all(fresh);
    fs::create_directory(fresh);
    WriteFile(fresh / Lines::kCityNameFile, Lines::WithoutControls(cityName) + "\n");
    // Creating a thousand files is mostly the kernel's work, which cores share.
    ForEachOnEveryCore(std::span(lines), [&fresh](const LineText& line) {
      WriteFile(fresh / line.fileName, line.text);
    });
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
  if (fs::is_symlink(status) && other && !(city && SameCity(*other, *city))) return false;
  // A new link beside it, renamed over it: the alias is never missing.
  const fs::path fresh = FolderBeside(link, "link");
  fs::remove(fresh, error);
  fs::create_directory_symlink(cityPinyin, fresh);
  fs::rename(fresh, link);
  return true;
}

bool SameCity(std::string_view a, std::string_view b) {
  const auto key = [](std::string_view name) {
    return Pinyin::PlaceName(Query::TrimSpaces(Web::FromUtf8(name)));
  };
  return key(a) == key(b);
}

std::optional<std::string> CityIn(const fs::path& dataFolder, const std::string& pinyin) {
  return Lines::ReadCityName(dataFolder / pinyin, dataFolder);
}

std::vector<fs::path> RemoveCity(const fs::path& dataFolder, std::string_view city,
                                 std::string_view keep) {
  std::vector<fs::path> folders, links;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(dataFolder, error)) {
    const std::string name = entry.path().filename().string();
    if (!Lines::IsCityName(name)) continue;
    if (entry.is_symlink(error)) {
      links.push_back(entry.path());
    } else if (name != keep && entry.is_directory(error)) {
      if (const auto held = CityIn(dataFolder, name); held && SameCity(*held, city))
        folders.push_back(entry.path());
    }
  }
  std::vector<fs::path> removed;
  for (const fs::path& link : links)
    if (std::ranges::find(folders, dataFolder / fs::read_symlink(link, error)) != folders.end() &&
        fs::remove(link, error))
      removed.push_back(link);
  for (const fs::path& folder : folders) {
    // Out of sight in one step, then removed: a reader never sees half a city.
    const fs::path gone = FolderBeside(folder, "remove");
    fs::rename(folder, gone);
    fs::remove_all(gone);
    removed.push_back(folder);
  }
  return removed;
}

}  // namespace Import
