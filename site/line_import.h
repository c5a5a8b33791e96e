#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace Site {

struct ImportRequest {
  std::filesystem::path extract;      // .osm.pbf, .osm, .osm.bz2 or .osm.gz
  std::string city;                   // as the user types it, 北京
  std::optional<std::string> pinyin;  // when the city does not romanise
  std::filesystem::path dataFolder;   // the city's lines go to {dataFolder}/{pinyin}/
};

struct ImportReport {
  std::filesystem::path cityFolder;
  std::size_t busLines = 0;
  std::size_t trolleybusLines = 0;
  std::size_t unnamedStops = 0;
  std::vector<std::string> notes;  // relations skipped, refs shared, one line each
};

// An extract or a request that cannot be imported; what() is the reason.
class ImportError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Writes one line file per bus and trolleybus line of the extract, in place
// of the city's earlier lines. A line is the route with the most named stops
// among those with its ref and kind (ties: the lowest relation id); the
// others are kept in the file as comments. Everything is written into a
// folder beside the city's and swapped in at the end, so a failure leaves the
// data folder as it was. Throws ImportError.
ImportReport ImportLines(const ImportRequest& request, const std::function<void(double)>& progress);

}  // namespace Site
