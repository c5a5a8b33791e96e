#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/city_import.h"

namespace Import {

// Writes the planned line files, and the city's name, as the folder
// {dataFolder}/{cityPinyin}, in place of the city's earlier lines.
// Everything is written into a folder beside the city's and swapped in at the
// end, so a failure leaves the data folder as it was; folders that killed
// imports of the city left are removed first. Returns the city's folder;
// throws std::filesystem::filesystem_error or std::runtime_error with the
// reason, also when a file stands where the city's folder goes.
std::filesystem::path WriteCityFolder(const std::vector<LineText>& lines,
                                      const std::filesystem::path& dataFolder,
                                      const std::string& cityPinyin, const std::string& cityName);

// Makes {dataFolder}/{alias} a link to the city's folder, so that a city
// found under another pinyin is found under both. Returns false, changing
// nothing, when a folder, or a link to another city's folder, already has
// that name.
bool LinkCity(const std::filesystem::path& dataFolder, const std::string& alias,
              const std::string& cityPinyin);

// Whether two names are one place by themselves: the same characters in
// either script, and the same suffix or none beside 市 (台北, 臺北, 台北市).
// A county and the city of its stem (长沙县, 长沙市) are two places.
bool SamePlace(std::string_view a, std::string_view b);

// The city folders (not links) of the data folder, but `keep`, that hold the
// place `typed` names: those that SamePlace finds, or where none is there
// (`keep` counts), by the rule of a name without a rival, a bare name and the
// one county or league of its stem (尉氏 and 尉氏县) when no other place of
// that stem is there. A province is never a bare name's (吉林 is not 吉林省).
// Throws ImportError naming the places when `typed` could mean more than one.
std::vector<std::string> FoldersOfPlace(const std::filesystem::path& dataFolder,
                                        std::string_view typed, std::string_view keep = {});

// The city whose lines {dataFolder}/{pinyin} holds (by its .city, through a
// link too), if any.
std::optional<std::string> CityIn(const std::filesystem::path& dataFolder,
                                  const std::string& pinyin);

// Removes the folders of `city` (FoldersOfPlace) in the data folder, whatever
// pinyin they were imported under, but `keep`, and the links to them, and
// what removals that were killed left; returns what it removed.
std::vector<std::filesystem::path> RemoveCity(const std::filesystem::path& dataFolder,
                                              std::string_view city, std::string_view keep = {});

}  // namespace Import
