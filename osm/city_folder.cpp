#include "osm/city_folder.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

#include "osm/on_every_core.h"

namespace Osm {

namespace {

namespace fs = std::filesystem;

std::string JoinStops(const Route& route) {
  std::string joined;
  for (const auto& stop : route.stops) joined += (joined.empty() ? "" : "——") + stop.name;
  return joined;
}

// The line file: the title, where the data comes from, the page's stops, and
// every other variant as a comment.
void WriteLineFile(const fs::path& file, const std::vector<const Route*>& routes) {
  const Route& page = *routes.front();
  std::ofstream out(file, std::ios::binary);
  out << "# " << (page.name.empty() ? page.ref : page.name) << '\n'
      << "# OpenStreetMap relation " << page.id << " (© OpenStreetMap contributors, ODbL)\n";
  for (const auto& stop : page.stops)
    out << stop.name << (stop.location.empty() ? "" : "\t" + stop.location) << '\n';
  for (std::size_t i = 1; i < routes.size(); ++i)
    out << "# also relation " << routes[i]->id << " (" << routes[i]->name
        << "): " << JoinStops(*routes[i]) << '\n';
  if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
}

// Puts `fresh` in place of `target` in one step when both exist.
void SwapIn(const fs::path& fresh, const fs::path& target) {
  if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
    fs::remove_all(fresh);  // now the earlier lines
    return;
  }
  fs::rename(fresh, target);
}

}  // namespace

fs::path WriteCityFolder(const std::vector<PlannedLine>& lines, const fs::path& dataFolder,
                         const std::string& cityPinyin) {
  std::error_code error;
  fs::create_directories(dataFolder, error);
  const fs::path cityFolder = dataFolder / cityPinyin;
  const fs::path fresh = dataFolder / ("." + cityPinyin + ".import-" + std::to_string(::getpid()));
  try {
    fs::remove_all(fresh);
    fs::create_directory(fresh);
    // Creating a thousand files is mostly the kernel's work, which cores share.
    ForEachOnEveryCore(std::span(lines), [&fresh](const PlannedLine& line) {
      WriteLineFile(fresh / line.fileName, line.routes);
    });
    SwapIn(fresh, cityFolder);
  } catch (...) {
    fs::remove_all(fresh, error);
    throw;
  }
  return cityFolder;
}

}  // namespace Osm
