#include "osm/import_plan.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_set>

#include "import/on_every_core.h"
#include "lines/display_form.h"
#include "lines/line_address.h"
#include "lines/line_file.h"
#include "lines/utf8.h"
#include "pinyin/char_code.h"
#include "query/query_url.h"
#include "web/text_codec.h"

namespace Osm {

namespace {

// The order of a line's variants: the page first.
bool ByNamedStopsThenId(const Route* a, const Route* b) {
  if (a->stops.size() != b->stops.size()) return a->stops.size() > b->stops.size();
  return a->id < b->id;
}

// The line file a route's kind and ref name, if they can name one: the same
// upper-casing as the query's.
std::optional<std::string> FileNameOf(const Route& route, const std::u16string& cityPinyin) {
  const auto kind = route.trolleybus ? Lines::VehicleKind::Trolleybus : Lines::VehicleKind::Bus;
  const auto file = Lines::LineFileName(
      Web::ToUtf8(u"/" + Query::LinePath(kind, cityPinyin, Web::FromUtf8(route.ref))));
  if (!file) return std::nullopt;
  return file->filename().string();
}

// Whether a query shows `name` whole: whether code page 936 writes every
// character of its display form with two bytes.
bool ShownWhole(std::string_view name) {
  const std::string shown = Lines::DisplayForm(name);
  for (std::string_view rest = shown; !rest.empty();) {
    const auto [length, c] = Lines::DecodeUtf8(rest);
    if (length == 0 || c > 0xFFFF ||
        !Pinyin::IsDoubleByte(Pinyin::CharCode(static_cast<char16_t>(c))))
      return false;
    rest.remove_prefix(length);
  }
  return true;
}

Lines::LineFile::Stops StopsOf(const Route& route) {
  Lines::LineFile::Stops stops;
  for (const auto& stop : route.stops) stops.push_back({stop.name, stop.location});
  return stops;
}

// The line file: the title, where the data comes from, the page's stops, and
// every other variant (the other direction, usually) as a direction of its own.
std::string LineFileOf(const std::vector<const Route*>& routes) {
  const Route& page = *routes.front();
  Lines::LineFile line{page.name.empty() ? page.ref : page.name, StopsOf(page), {}, page.ref};
  for (std::size_t i = 1; i < routes.size(); ++i)
    line.moreDirections.push_back(
        {"relation " + std::to_string(routes[i]->id) + " (" + routes[i]->name + ")",
         StopsOf(*routes[i])});
  return Lines::LineFileText(line, {"OpenStreetMap relation " + std::to_string(page.id) +
                                    " (© OpenStreetMap contributors, ODbL)"});
}

// Each line's text, built on every core; a line the site would refuse to read
// is left out, its page's relation named.
void WriteTexts(std::vector<PlannedLine>& lines, Import::ImportReport& report) {
  Import::ForEachOnEveryCore(std::span(lines),
                             [](PlannedLine& line) { line.text = LineFileOf(line.routes); });
  std::erase_if(lines, [&report](const PlannedLine& line) {
    if (line.text.size() <= Lines::kMaxLineFileBytes) return false;
    report.notes.push_back("relation " + std::to_string(line.routes.front()->id) + ": line " +
                           line.routes.front()->ref + " is over " +
                           std::to_string(Lines::kMaxLineFileBytes) +
                           " bytes with its variants, more than the site reads; left out");
    return true;
  });
}

void NoteNamesNotShownWhole(const std::vector<PlannedLine>& lines, Import::ImportReport& report) {
  std::unordered_set<std::string_view> seen;
  std::set<std::string_view> names;
  for (const PlannedLine& line : lines)
    for (const auto& stop : line.routes.front()->stops)
      if (seen.insert(stop.name).second && !ShownWhole(stop.name)) names.insert(stop.name);
  if (!names.empty())
    report.notes.push_back(
        "stop names with characters a query cannot show: " + std::to_string(names.size()) +
        ", e.g. \"" + std::string(*names.begin()) + "\"");
}

void CountLines(const std::vector<PlannedLine>& lines, Import::ImportReport& report) {
  for (const auto& [name, routes, text] : lines) {
    const Route& first = *routes.front();
    (first.trolleybus ? report.trolleybusLines : report.busLines) += 1;
    std::set<std::int64_t> masters;
    for (const Route* route : routes) masters.insert(route->masterId);
    if (masters.size() > 1)
      report.notes.push_back(std::string(first.trolleybus ? "trolleybus " : "bus ") + first.ref +
                             ": " + std::to_string(masters.size()) +
                             " routes share the ref; the one with most stops is the page, the "
                             "others its other directions");
  }
}

}  // namespace

ImportPlan PlanImport(const Routes& routes, const std::string& cityPinyin) {
  ImportPlan plan;
  Import::ImportReport& report = plan.report;
  report.notes = routes.skipped;
  // By kind and ref first, so that each is named once, not once per route.
  std::map<std::pair<bool, std::string_view>, std::vector<const Route*>> byRef;
  std::size_t unnamed = 0, outside = 0;
  for (const Route& route : routes.routes) {
    unnamed += route.unnamedStops;
    outside += route.outsideStops;
    byRef[{route.trolleybus, route.ref}].push_back(&route);
  }
  const std::u16string city = Web::FromUtf8(cityPinyin);
  std::map<std::string, std::vector<const Route*>> byFile;
  for (const auto& [kindAndRef, sameRef] : byRef) {
    const auto file = FileNameOf(*sameRef.front(), city);
    for (const Route* route : sameRef) {
      if (file && !route->stops.empty()) {
        byFile[*file].push_back(route);
        continue;
      }
      std::string why = file ? "no named stops" : "ref \"" + route->ref + "\" cannot name a line";
      report.notes.push_back("relation " + std::to_string(route->id) + ": " + std::move(why));
    }
  }
  for (auto& [fileName, lineRoutes] : byFile) {
    std::sort(lineRoutes.begin(), lineRoutes.end(), ByNamedStopsThenId);
    plan.lines.push_back({fileName, std::move(lineRoutes)});
  }
  report.counts = {{"stops without a name, left out", unnamed},
                   {"stops outside the extract, left out", outside}};
  WriteTexts(plan.lines, report);
  CountLines(plan.lines, report);
  NoteNamesNotShownWhole(plan.lines, report);
  return plan;
}

}  // namespace Osm
