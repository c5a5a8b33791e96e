#include "osm/city_folder.h"

#include <fstream>
#include <stdexcept>

#include "lines/city_index.h"
#include "lines/line_file.h"
#include "osm/folder_swap.h"
#include "osm/on_every_core.h"

namespace Osm {

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary);
  if (!(out << text).flush()) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

fs::path WriteCityFolder(const std::vector<PlannedLine>& lines, const fs::path& dataFolder,
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
    ForEachOnEveryCore(std::span(lines), [&fresh](const PlannedLine& line) {
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
  // A new link beside it, renamed over it: the alias is never missing.
  const fs::path fresh = FolderBeside(link, "link");
  fs::remove(fresh, error);
  fs::create_directory_symlink(cityPinyin, fresh);
  fs::rename(fresh, link);
  return true;
}

}  // namespace Osm
