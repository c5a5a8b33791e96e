#pragma once

#include <filesystem>
#include <vector>

namespace Osm {

// Writes every line's page, exactly as the route site serves it from
// `dataFolders`, as a static file at the address the tool asks:
// {out}/{the line's address}/index.html. Any static web server then serves
// the route site. Returns how many pages were written; throws
// std::filesystem::filesystem_error when one cannot be.
std::size_t ExportPages(const std::vector<std::filesystem::path>& dataFolders,
                        const std::filesystem::path& out);

}  // namespace Osm
