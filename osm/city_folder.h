#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "osm/import_plan.h"

namespace Osm {

// Writes the planned line files, and the city's name, as the folder
// {dataFolder}/{cityPinyin}, in place of the city's earlier lines.
// Everything is written into a folder beside the city's and swapped in at the
// end, so a failure leaves the data folder as it was; folders that killed
// imports of the city left are removed first. Returns the city's folder;
// throws std::filesystem::filesystem_error or std::runtime_error with the
// reason, also when a file stands where the city's folder goes.
std::filesystem::path WriteCityFolder(const std::vector<PlannedLine>& lines,
                                      const std::filesystem::path& dataFolder,
                                      const std::string& cityPinyin, const std::string& cityName);

// Makes {dataFolder}/{alias} a link to the city's folder, so that a city
// found under another pinyin is found under both. Returns false, changing
// nothing, when something other than a link already has that name.
bool LinkCity(const std::filesystem::path& dataFolder, const std::string& alias,
              const std::string& cityPinyin);

}  // namespace Osm
