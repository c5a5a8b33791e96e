#include "osm/line_import.h"

#include "lines/line_address.h"
#include "osm/city_folder.h"
#include "query/query_url.h"
#include "web/text_codec.h"

namespace Osm {

namespace {

// The city as a query composes it from what the user types.
std::string TypedCityPinyin(const ImportRequest& request) {
  return Web::ToUtf8(Query::CityPinyin(Web::FromUtf8(request.city)));
}

// The folder the city's lines go to: the --pinyin given, else the
// romanisation the query composes with. Throws ImportError.
std::string CityFolderName(const ImportRequest& request) {
  std::string pinyin = request.pinyin ? *request.pinyin : TypedCityPinyin(request);
  if (pinyin.empty())
    throw ImportError("\"" + request.city +
                      "\" romanises to nothing: give its pinyin with --pinyin");
  if (!Lines::IsCityName(pinyin))
    throw ImportError("the city's pinyin \"" + pinyin + "\" must be Latin letters only");
  return pinyin;
}

}  // namespace

ImportReport ImportLines(const ImportRequest& request,
                         const std::function<void(double)>& progress) {
  const std::string pinyin = CityFolderName(request);
  if (const auto other = CityIn(request.dataFolder, pinyin);
      other && !request.replace && !SameCity(*other, request.city))
    throw ImportError((request.dataFolder / pinyin).string() + " holds the lines of " + *other +
                      ": import " + request.city +
                      " under a pinyin of its own (--pinyin LETTERS), or take the folder over "
                      "with --replace");
  Routes routes;
  try {
    routes = ReadRoutes(request.extract, progress);
  } catch (const std::exception& error) {
    throw ImportError("cannot read " + request.extract.string() + ": " + error.what());
  }
  ImportPlan plan = PlanImport(routes, pinyin);
  if (plan.lines.empty())
    throw ImportError("no bus or trolleybus routes with a ref and named stops in " +
                      request.extract.string());
  try {
    plan.report.cityFolder = WriteCityFolder(plan.lines, request.dataFolder, pinyin, request.city);
    // Earlier imports of the city under another pinyin go: one city, one folder.
    for (const auto& removed : RemoveCity(request.dataFolder, request.city, pinyin))
      plan.report.notes.push_back("removed the city's earlier lines at " + removed.string());
    // Typing the city's name must find it too, when it romanises to another pinyin.
    const std::string typed = TypedCityPinyin(request);
    if (typed != pinyin && Lines::IsCityName(typed) && !LinkCity(request.dataFolder, typed, pinyin))
      plan.report.notes.push_back("\"" + request.city + "\" romanises to \"" + typed +
                                  "\", which holds other lines: type " + pinyin + " to find these");
  } catch (const std::exception& failure) {
    throw ImportError(failure.what());
  }
  return plan.report;
}

}  // namespace Osm
