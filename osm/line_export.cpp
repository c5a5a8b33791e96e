#include "osm/line_export.h"

#include <fstream>
#include <iostream>
#include <set>
#include <stdexcept>

#include "front/assets.h"
#include "front/page_cache.h"
#include "import/folder_swap.h"
#include "lines/data_folders.h"
#include "lines/line_address.h"

namespace Osm {

namespace {

namespace fs = std::filesystem;

// The names of the cities in the data folders, their other names (links)
// among them; a city folder that cannot be read is noted in `problems`.
std::set<std::string> CityNames(const std::vector<fs::path>& dataFolders,
                                std::vector<std::string>& problems) {
  std::set<std::string> names;
  for (const fs::path& folder : dataFolders) {
    std::error_code error;
    for (const auto& city : fs::directory_iterator(folder, error)) {
      const std::string name = city.path().filename().string();
      if (!Lines::IsCityName(name)) continue;
      std::error_code cityError;
      if (city.is_directory(cityError)) names.insert(name);
      if (cityError)
        problems.push_back("cannot read " + city.path().string() + ": " + cityError.message());
    }
    if (error) problems.push_back("cannot read " + folder.string() + ": " + error.message());
  }
  return names;
}

}  // namespace

fs::path ExportTarget(const fs::path& out, const std::vector<fs::path>& dataFolders) {
  fs::path target = fs::absolute(out).lexically_normal();
  if (!target.has_filename()) target = target.parent_path();  // "dir/" and "."
  if (target == target.root_path()) throw ExportRefused("cannot replace the root folder");
  // What the swap replaces is the entry in its real folder, never what a link
  // there leads to.
  const fs::path real = fs::weakly_canonical(target.parent_path()) / target.filename();
  std::vector<fs::path> protectedFolders = dataFolders;
  protectedFolders.push_back(Lines::UserDataFolder());
  for (const fs::path& data : protectedFolders) {
    const fs::path realData = fs::weakly_canonical(fs::absolute(data));
    const bool inData = Lines::Contains(realData, real);
    if (inData || Lines::Contains(real, realData))
      throw ExportRefused(out.string() + (inData ? " is in" : " holds") + " the data folder " +
                          data.string() +
                          ": the export replaces what its folder held; choose another");
  }
  return target;
}

ExportReport ExportPages(const std::vector<fs::path>& dataFolders, const fs::path& out) {
  const fs::path target = ExportTarget(out, dataFolders);
  ExportReport report;
  const std::set<std::string> cities = CityNames(dataFolders, report.problems);

  std::error_code error;
  if (fs::exists(fs::symlink_status(target, error)) && !fs::is_directory(target, error))
    throw std::runtime_error(out.string() + " is a file, not a folder");
  Import::RemoveLeftoversBeside(target, "export");
  const fs::path fresh = Import::FolderBeside(target, "export");
  Front::PageCache pages(dataFolders, [](std::string_view line) { std::cerr << line << '\n'; });
  try {
    fs::remove_all(fresh);
    fs::create_directories(fresh);
    // A static server decodes the address once and maps it to a file: write
    // the page where it will look.
    const auto write = [&](const std::string& address) {
      const Front::Page page = pages.Answer(address);
      if (page.status != 200) {
        report.problems.push_back("cannot export " + Lines::PercentDecode(address) +
                                  ": the site answers " + std::to_string(page.status));
        return;
      }
      // A page's address is a folder ("…/"), served as its index.html; a
      // file's address is the file.
      const fs::path named = fresh / fs::u8path(Lines::PercentDecode(address.substr(1)));
      const fs::path file = address.ends_with('/') ? named / "index.html" : named;
      fs::create_directories(file.parent_path());
      std::ofstream output(file, std::ios::binary);
      if (!(output << page.html).flush()) throw std::runtime_error("cannot write " + file.string());
      ++report.pages;
    };
    write("/");
    for (const std::string_view asset : Front::kAssetPaths) write(std::string(asset));
    write(std::string(Front::kCitiesDataPath));
    // Every name a city is found by, its other names too: their pages link
    // within themselves.
    for (const std::string& name : cities) {
      const auto city = pages.City(name);
      if (city == nullptr) {
        report.problems.push_back("cannot read the city " + name + ": its folder is gone");
        continue;
      }
      for (const std::string& problem : city->Unreadable()) report.problems.push_back(problem);
      if (city->Lines().empty()) continue;
      write(Lines::CityLinesPath(name));
      write("/" + name + "/" + std::string(Front::kCityDataFile));
      for (const Lines::CityLine& line : city->Lines()) write(Lines::EncodePath(line.address));
      for (const std::string& stop : city->Stops()) {
        if (!Lines::HasStopPage(stop)) {
          ++report.stopsLeftOut;
          continue;
        }
        write(Lines::StopPath(name, stop));
      }
    }
    Import::SwapIn(fresh, target);
  } catch (...) {
    fs::remove_all(fresh, error);
    throw;
  }
  return report;
}

}  // namespace Osm
