#include "osm/line_import.h"

#include "osm/import_plan.h"

namespace Osm {

Import::ImportReport ImportLines(const Import::ImportRequest& request,
                                 const std::function<void(double)>& progress) {
  const std::string pinyin = Import::CityFolderName(request);
  Routes routes;
  try {
    routes = ReadRoutes(request.source, progress);
  } catch (const std::exception& error) {
    throw Import::ImportError("cannot read " + request.source.string() + ": " + error.what());
  }
  ImportPlan plan = PlanImport(routes, pinyin);
  if (plan.lines.empty())
    throw Import::ImportError("no bus or trolleybus routes with a ref and named stops in " +
                              request.source.string());
  std::vector<Import::LineText> lines;
  for (PlannedLine& line : plan.lines) lines.push_back({line.fileName, std::move(line.text)});
  Import::WriteCity(request, pinyin, lines, plan.report);
  return plan.report;
}

}  // namespace Osm
