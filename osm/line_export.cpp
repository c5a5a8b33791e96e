#include "osm/line_export.h"

#include <fstream>
#include <iostream>
#include <set>
#include <stdexcept>

#include "lines/line_address.h"
#include "lines/page_cache.h"
#include "osm/folder_swap.h"

namespace Osm {

namespace {

namespace fs = std::filesystem;

// The addresses of the line files in the city folders of `folder`; a city
// folder that cannot be read is noted in `problems`.
void CollectAddresses(const fs::path& folder, std::set<std::string>& addresses,
                      std::vector<std::string>& problems) {
  std::error_code error;
  for (const auto& city : fs::directory_iterator(folder, error)) {
    if (!Lines::IsCityName(city.path().filename().string())) continue;
    const bool isFolder = city.is_directory(error);
    if (!isFolder && !error) continue;  // a file of that name, not a city
    fs::directory_iterator lines;
    if (!error) lines = fs::directory_iterator(city.path(), error);
    for (; !error && lines != fs::directory_iterator(); lines.increment(error)) {
      const fs::path relative = city.path().filename() / lines->path().filename();
      if (const auto address = Lines::LineAddress(relative)) addresses.insert(*address);
    }
    if (error) problems.push_back("cannot read " + city.path().string() + ": " + error.message());
    error.clear();
  }
  if (error) problems.push_back("cannot read " + folder.string() + ": " + error.message());
}

}  // namespace

ExportReport ExportPages(const std::vector<fs::path>& dataFolders, const fs::path& out) {
  ExportReport report;
  std::set<std::string> addresses;
  for (const fs::path& folder : dataFolders) CollectAddresses(folder, addresses, report.problems);

  std::error_code error;
  if (fs::exists(fs::symlink_status(out, error)) && !fs::is_directory(out, error))
    throw std::runtime_error(out.string() + " is a file, not a folder");
  RemoveLeftoversBeside(out, "export");
  const fs::path fresh = FolderBeside(out, "export");
  Lines::PageCache pages(dataFolders, [](std::string_view line) { std::cerr << line << '\n'; });
  try {
    fs::remove_all(fresh);
    fs::create_directories(fresh);
    const auto write = [&](const std::string& address) {
      const Lines::Page page = pages.Answer(address);
      if (page.status != 200) return;  // not a regular file inside its folder, or unreadable
      const fs::path file =
          fresh / fs::u8path(Lines::PercentDecode(address.substr(1))) / "index.html";
      fs::create_directories(file.parent_path());
      std::ofstream output(file, std::ios::binary);
      if (!(output << page.html).flush()) throw std::runtime_error("cannot write " + file.string());
      ++report.pages;
    };
    for (const std::string& address : addresses) write(address);
    write("/");
    for (const Lines::CitySummary& city : pages.Cities()) {
      write(Lines::CityLinesPath(city.city));
      for (const std::string& stop : pages.City(city.city)->Stops()) {
        if (stop.find('/') != stop.npos || stop == "." || stop == ".." || stop.size() > 255) {
          ++report.stopsLeftOut;
          continue;
        }
        write(Lines::StopPath(city.city, stop));
      }
    }
    SwapIn(fresh, out);
  } catch (...) {
    fs::remove_all(fresh, error);
    throw;
  }
  return report;
}

}  // namespace Osm
