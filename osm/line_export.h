#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace Osm {

struct ExportReport {
  std::size_t pages = 0;
  std::size_t stopsLeftOut = 0;       // names without a page of their own (Lines::HasStopPage)
  std::vector<std::string> problems;  // cities and lines that could not be read, one line each
};

// An output folder whose replacement would remove lines: what() says why.
class ExportRefused : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The folder an export to `out` replaces: `out` made absolute, "dir/" and "."
// read as the folder they name. Throws ExportRefused when that folder is a
// data folder, lies inside one or holds one (the user's among them), by
// their real locations.
std::filesystem::path ExportTarget(const std::filesystem::path& out,
                                   const std::vector<std::filesystem::path>& dataFolders);

// Writes every page of the route site that a static server can serve, exactly
// as the route site serves it from `dataFolders`: each line's page, "/", each
// city's lines and every stop's page, as {out}/{address}/index.html, the
// address decoded once, as a static server maps it to a file; a city's other
// names (links) get pages of their own, so that every link of every page
// leads to a written page. Transfer pages are left out: their number grows
// with the square of the stops. The new tree is built beside `out` and
// swapped in whole (ExportTarget), so pages of lines that are gone go too and
// nothing is written through a link found in `out`. A city or line that
// cannot be read, or vanishes meanwhile, is reported and the rest is written.
// Throws ExportRefused, std::filesystem::filesystem_error or
// std::runtime_error when the pages cannot be written.
ExportReport ExportPages(const std::vector<std::filesystem::path>& dataFolders,
                         const std::filesystem::path& out);

}  // namespace Osm
