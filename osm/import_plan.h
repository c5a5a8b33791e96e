#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "import/city_import.h"
#include "osm/osm_routes.h"

namespace Osm {

// One line file to write: its name in the city's folder, its routes (the one
// that is the page first, the other variants after it) and its text.
struct PlannedLine {
  std::string fileName;
  std::vector<const Route*> routes;
  std::string text{};
};

struct ImportPlan {
  std::vector<PlannedLine> lines;  // by file name
  Import::ImportReport report;     // all but the city's folder
};

// The line files that `routes` make for the city `cityPinyin`, nothing
// written: routes are grouped by kind and ref into the line their address
// names ("k5" and "K5" name one); the page is the route with the most named
// stops (ties: the lowest relation id). Routes that cannot be a page, lines
// whose file the site would refuse as too large, and refs shared by several
// route masters, are noted in the report.
ImportPlan PlanImport(const Routes& routes, const std::string& cityPinyin);

}  // namespace Osm
