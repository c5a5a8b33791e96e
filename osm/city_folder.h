#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "osm/import_plan.h"

namespace Osm {

// Writes the planned line files as the folder {dataFolder}/{cityPinyin}, in
// place of the city's earlier lines. Everything is written into a folder
// beside the city's and swapped in at the end, so a failure leaves the data
// folder as it was. Returns the city's folder; throws
// std::filesystem::filesystem_error or std::runtime_error with the reason.
std::filesystem::path WriteCityFolder(const std::vector<PlannedLine>& lines,
                                      const std::filesystem::path& dataFolder,
                                      const std::string& cityPinyin);

}  // namespace Osm
