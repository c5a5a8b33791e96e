#include "osm/line_export.h"

#include <fstream>
#include <iostream>
#include <set>
#include <string>

#include "lines/line_address.h"
#include "lines/page_cache.h"

namespace Osm {

namespace fs = std::filesystem;

std::size_t ExportPages(const std::vector<fs::path>& dataFolders, const fs::path& out) {
  Lines::PageCache pages(dataFolders, [](std::string_view line) { std::cerr << line << '\n'; });
  std::set<std::string> addresses;
  for (const fs::path& folder : dataFolders) {
    std::error_code error;
    for (auto entry = fs::recursive_directory_iterator(folder, error);
         !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
      if (const auto address = Lines::LineAddress(entry->path().lexically_relative(folder)))
        addresses.insert(*address);
    }
  }
  std::size_t written = 0;
  for (const std::string& address : addresses) {
    const Lines::Page page = pages.Answer(address);
    if (page.status != 200) continue;  // not a regular file inside its folder, or unreadable
    const fs::path file = out / fs::u8path(address.substr(1)) / "index.html";
    fs::create_directories(file.parent_path());
    std::ofstream output(file, std::ios::binary);
    if (!(output << page.html).flush())
      throw fs::filesystem_error("cannot write", file, std::make_error_code(std::errc::io_error));
    ++written;
  }
  return written;
}

}  // namespace Osm
