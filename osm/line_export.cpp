#include "osm/line_export.h"

#include <sys/stat.h>

#include <cerrno>
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

// One entry of a city's folder into the copy: a file as a hard link where the
// copy is on its file system (a later import writes new files, never into
// these), else as a copy; a link as a link; anything else as a FIFO, which the
// city's index reports as the original.
void CopyEntry(const fs::directory_entry& entry, const fs::path& to) {
  std::error_code error;
  if (entry.is_symlink(error)) {
    fs::copy_symlink(entry.path(), to);
  } else if (entry.is_regular_file(error)) {
    fs::create_hard_link(entry.path(), to, error);
    if (error) fs::copy_file(entry.path(), to);
  } else if (::mkfifo(to.c_str(), 0600) != 0) {
    throw fs::filesystem_error("cannot copy", entry.path(),
                               std::error_code(errno, std::system_category()));
  }
}

// The cities of each data folder as they are now, into {copy}/{i}: each city
// whole as one import wrote it (under the folder's lock). A city that cannot
// be read is reported and left out.
std::vector<fs::path> CopyCities(const std::vector<fs::path>& dataFolders, const fs::path& copy,
                                 std::vector<std::string>& problems) {
  std::vector<fs::path> copies;
  for (const fs::path& data : dataFolders) {
    const fs::path into = copy / std::to_string(copies.size());
    copies.push_back(into);
    fs::create_directories(into);
    const Import::CitiesLock lock(data, Import::CitiesLock::Mode::Shared);
    std::error_code error;
    for (const auto& city : fs::directory_iterator(data, error)) {
      if (!Lines::IsCityName(city.path().filename().string())) continue;
      const fs::path cityCopy = into / city.path().filename();
      std::error_code cityError;
      try {
        if (city.is_symlink(cityError) || !city.is_directory(cityError)) {
          CopyEntry(city, cityCopy);  // another name of a city, or no city
          continue;
        }
        fs::create_directory(cityCopy);
        for (const auto& entry : fs::directory_iterator(city.path()))
          CopyEntry(entry, cityCopy / entry.path().filename());
      } catch (const fs::filesystem_error& failure) {
        problems.push_back("cannot read " + city.path().string() + ": " + failure.code().message());
        fs::remove_all(cityCopy, cityError);
      }
    }
    if (error) problems.push_back("cannot read " + data.string() + ": " + error.message());
  }
  return copies;
}

// `text` with the copies' folders named as the data folders they copy.
std::string InDataFolders(std::string text, const std::vector<fs::path>& copies,
                          const std::vector<fs::path>& dataFolders) {
  for (std::size_t i = 0; i < copies.size(); ++i)
    for (std::size_t at; (at = text.find(copies[i].string())) != text.npos;)
      text.replace(at, copies[i].string().size(), dataFolders[i].string());
  return text;
}

// Every page of the cities of `dataFolders` into `fresh`.
void Export(const std::vector<fs::path>& dataFolders, const fs::path& fresh, ExportReport& report) {
  const std::set<std::string> cities = CityNames(dataFolders, report.problems);
  Front::PageCache pages(dataFolders, [](std::string_view line) { std::cerr << line << '\n'; });
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
    // One page whose place another page's file holds ("x" and
    // "x/index.html") is reported, not the end of the export.
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    std::ofstream output(file, std::ios::binary);
    if (error || !(output << page.html).flush()) {
      report.problems.push_back("cannot write the page of " + Lines::PercentDecode(address) + ": " +
                                (error ? error.message() : "its place is taken"));
      return;
    }
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
  std::error_code error;
  if (fs::exists(fs::symlink_status(target, error)) && !fs::is_directory(target, error))
    throw std::runtime_error(out.string() + " is a file, not a folder");
  Import::RemoveLeftoversBeside(target, "export");
  Import::RemoveLeftoversBeside(target, "snapshot");
  const fs::path fresh = Import::FolderBeside(target, "export");
  const fs::path copy = Import::FolderBeside(target, "snapshot");
  try {
    // The pages come from a copy of the cities taken at the start, so that an
    // import meanwhile gives each city's pages from one state or the other.
    const std::vector<fs::path> copies = CopyCities(dataFolders, copy, report.problems);
    Export(copies, fresh, report);
    for (std::string& problem : report.problems)
      problem = InDataFolders(std::move(problem), copies, dataFolders);
    fs::remove_all(copy);
    Import::SwapIn(fresh, target);
  } catch (...) {
    fs::remove_all(fresh, error);
    fs::remove_all(copy, error);
    throw;
  }
  return report;
}

}  // namespace Osm
