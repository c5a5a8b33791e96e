#include "site/line_export.h"

#include <fstream>
#include <iostream>
#include <set>
#include <string>

#include "site/line_address.h"
#include "site/route_site.h"

namespace Site {

namespace fs = std::filesystem;

std::size_t ExportPages(const std::vector<fs::path>& dataFolders, const fs::path& out) {
  RouteSite site(dataFolders, [](std::string_view line) { std::cerr << line << '\n'; });
  std::set<std::string> addresses;
  for (const fs::path& folder : dataFolders) {
    std::error_code error;
    for (auto entry = fs::recursive_directory_iterator(folder, error);
         !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
      if (const auto address = LineAddress(entry->path().lexically_relative(folder)))
        addresses.insert(*address);
    }
  }
  std::size_t written = 0;
  for (const std::string& address : addresses) {
    const Response response = site.Answer(address);
    if (response.status != 200) continue;  // not a regular file inside its folder, or unreadable
    const fs::path page = out / fs::u8path(address.substr(1)) / "index.html";
    fs::create_directories(page.parent_path());
    std::ofstream file(page, std::ios::binary);
    if (!(file << response.body).flush())
      throw fs::filesystem_error("cannot write", page, std::make_error_code(std::errc::io_error));
    ++written;
  }
  return written;
}

}  // namespace Site
