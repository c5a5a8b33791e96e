#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace Osm {

struct ExportReport {
  std::size_t pages = 0;
  std::size_t stopsLeftOut = 0;       // names no folder can take ("/", "..")
  std::vector<std::string> problems;  // city folders that could not be read, one line each
};

// Writes every page of the route site that a static server can serve, exactly
// as the route site serves it from `dataFolders`: each line's page, "/", each
// city's lines and every stop's page, as {out}/{address}/index.html, the
// address's segments decoded. Transfer pages are left out: their number grows
// with the square of the stops. The new tree is built beside `out` and swapped in whole, so
// pages of lines that are gone go too and nothing is written through a link
// found in `out`. A city folder that cannot be read is reported and the rest
// is written. Throws std::filesystem::filesystem_error or std::runtime_error
// when the pages cannot be written.
ExportReport ExportPages(const std::vector<std::filesystem::path>& dataFolders,
                         const std::filesystem::path& out);

}  // namespace Osm
