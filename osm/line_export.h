#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace Osm {

struct ExportReport {
  std::size_t pages = 0;
  std::vector<std::string> problems;  // city folders that could not be read, one line each
};

// Writes every line's page, exactly as the route site serves it from
// `dataFolders`, as a static file at the address the tool asks:
// {out}/{the line's address}/index.html. Any static web server then serves
// the route site. The new tree is built beside `out` and swapped in whole, so
// pages of lines that are gone go too and nothing is written through a link
// found in `out`. A city folder that cannot be read is reported and the rest
// is written. Throws std::filesystem::filesystem_error or std::runtime_error
// when the pages cannot be written.
ExportReport ExportPages(const std::vector<std::filesystem::path>& dataFolders,
                         const std::filesystem::path& out);

}  // namespace Osm
