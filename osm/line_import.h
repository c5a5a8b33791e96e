#pragma once

#include <functional>

#include "import/city_import.h"

namespace Osm {

// Reads the extract's bus and trolleybus routes (.osm.pbf, .osm, .osm.bz2,
// .osm.gz), plans their line files (PlanImport) and writes them as the city's
// lines (Import::WriteCity). `progress` is told the fraction of the extract
// read. Throws Import::ImportError, leaving the data folder as it was.
Import::ImportReport ImportLines(const Import::ImportRequest& request,
                                 const std::function<void(double)>& progress);

}  // namespace Osm
