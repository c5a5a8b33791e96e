#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// What every import of a city's lines shares, whatever it reads (an
// OpenStreetMap extract, a GTFS feed): the request, the report's shape, the
// folder its lines go to, and writing them in place of the city's earlier ones.
namespace Import {

struct ImportRequest {
  std::filesystem::path source{};       // the extract or the feed
  std::string city{};                   // as the user types it, 北京
  std::optional<std::string> pinyin{};  // its folder's name, instead of its romanisation
  std::filesystem::path dataFolder{};   // the city's lines go to {dataFolder}/{pinyin}/
  bool replace = false;                 // take the folder over from another city
};

// A source or a request that cannot be imported; what() is the reason.
class ImportError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct ImportReport {
  std::filesystem::path cityFolder;
  std::size_t busLines = 0;
  std::size_t trolleybusLines = 0;
  // What was left out, each a count with what it counts.
  std::vector<std::pair<std::string, std::size_t>> counts;
  std::vector<std::string> notes;  // what was skipped or shared, one line each
};

// One line file: its name in the city's folder and its text.
struct LineText {
  std::string fileName;
  std::string text;
};

// The city's folder name: --pinyin, else the romanisation a query composes
// with. Throws ImportError when it is no city name, or when that folder holds
// another city's lines and the request does not take it over.
std::string CityFolderName(const ImportRequest& request);

// Writes `lines` as the city's folder in place of its earlier lines, under
// whatever pinyin they were imported; links the city's typed name to it where
// no other city holds that name, else notes how to type it. Sets the report's
// folder. Throws ImportError, leaving the data folder as it was.
void WriteCity(const ImportRequest& request, const std::string& pinyin,
               const std::vector<LineText>& lines, ImportReport& report);

}  // namespace Import
