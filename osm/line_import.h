#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "osm/import_plan.h"

namespace Osm {

struct ImportRequest {
  std::filesystem::path extract{};      // .osm.pbf, .osm, .osm.bz2 or .osm.gz
  std::string city{};                   // as the user types it, 北京
  std::optional<std::string> pinyin{};  // when the city does not romanise
  std::filesystem::path dataFolder{};   // the city's lines go to {dataFolder}/{pinyin}/
  bool replace = false;                 // take the folder over from another city
};

// An extract or a request that cannot be imported; what() is the reason.
class ImportError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads the extract's bus and trolleybus routes, plans their line files
// (PlanImport) and writes them as the city's folder (WriteCityFolder), in
// place of its earlier lines, under whatever pinyin they were imported; a
// failure leaves the data folder as it was. A folder that holds another
// city's lines (its .city names another city) is refused unless `replace`.
// `progress` is told the fraction of the extract read. Throws ImportError.
ImportReport ImportLines(const ImportRequest& request, const std::function<void(double)>& progress);

}  // namespace Osm
