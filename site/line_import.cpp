#include "site/line_import.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>

#include "query/query_url.h"
#include "site/line_address.h"
#include "site/on_every_core.h"
#include "site/osm_routes.h"
#include "web/text_codec.h"

namespace Site {

namespace {

namespace fs = std::filesystem;

std::string CityPinyin(const ImportRequest& request) {
  std::string pinyin = request.pinyin ? *request.pinyin
                                      : Web::ToUtf8(Query::CityPinyin(Web::FromUtf8(request.city)));
  if (pinyin.empty())
    throw ImportError("\"" + request.city +
                      "\" romanises to nothing: give its pinyin with --pinyin");
  if (!LineFileName("/" + pinyin + "/xianlu/1lu/"))
    throw ImportError("the city's pinyin \"" + pinyin + "\" must be Latin letters only");
  return pinyin;
}

std::string JoinStops(const OsmRoute& route) {
  std::string joined;
  for (const auto& stop : route.stops) joined += (joined.empty() ? "" : "——") + stop.name;
  return joined;
}

bool MoreStops(const OsmRoute* a, const OsmRoute* b) {
  if (a->stops.size() != b->stops.size()) return a->stops.size() > b->stops.size();
  return a->id < b->id;
}

// The line file: the title, where the data comes from, the winning route's
// stops, and every other route with the same ref and kind as a comment.
void WriteLineFile(const fs::path& file, std::vector<const OsmRoute*> routes) {
  std::sort(routes.begin(), routes.end(), MoreStops);
  const OsmRoute& page = *routes.front();
  std::ofstream out(file, std::ios::binary);
  out << "# " << (page.name.empty() ? page.ref : page.name) << '\n'
      << "# OpenStreetMap relation " << page.id << " (© OpenStreetMap contributors, ODbL)\n";
  for (const auto& stop : page.stops)
    out << stop.name << (stop.location.empty() ? "" : "\t" + stop.location) << '\n';
  for (std::size_t i = 1; i < routes.size(); ++i)
    out << "# also relation " << routes[i]->id << " (" << routes[i]->name
        << "): " << JoinStops(*routes[i]) << '\n';
  if (!out.flush()) throw ImportError("cannot write " + file.string());
}

// Puts `fresh` in place of `target` in one step when both exist.
void SwapIn(const fs::path& fresh, const fs::path& target) {
  if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
    fs::remove_all(fresh);  // now the earlier lines
    return;
  }
  fs::rename(fresh, target);
}

// The routes of one line file, by the file's name.
using Lines = std::vector<std::pair<std::string, std::vector<const OsmRoute*>>>;

// Groups the routes by the line file their address names: by kind and ref
// first, as refs such as "k5" and "K5" name one line. Routes that cannot be
// a page are noted in the report.
Lines GroupByLine(const std::vector<OsmRoute>& routes, const std::string& pinyin,
                  ImportReport& report) {
  std::map<std::pair<bool, std::string_view>, std::vector<const OsmRoute*>> byRef;
  for (const OsmRoute& route : routes) byRef[{route.trolleybus, route.ref}].push_back(&route);
  const std::u16string cityPinyin = Web::FromUtf8(pinyin);
  std::map<std::string, std::vector<const OsmRoute*>> byFile;
  for (const auto& [kindAndRef, sameRef] : byRef) {
    const auto& [trolleybus, ref] = kindAndRef;
    const auto kind = trolleybus ? Query::VehicleKind::Trolleybus : Query::VehicleKind::Bus;
    const auto file =
        LineFileName(Web::ToUtf8(u"/" + Query::LinePath(kind, cityPinyin, Web::FromUtf8(ref))));
    for (const OsmRoute* route : sameRef) {
      if (file && !route->stops.empty()) {
        byFile[file->filename().string()].push_back(route);
        continue;
      }
      std::string why = file ? "no named stops" : "ref \"" + route->ref + "\" cannot name a line";
      report.notes.push_back("relation " + std::to_string(route->id) + ": " + std::move(why));
    }
  }
  return {byFile.begin(), byFile.end()};
}

void CountLines(const Lines& lines, ImportReport& report) {
  for (const auto& [name, routes] : lines) {
    const OsmRoute& first = *routes.front();
    (first.trolleybus ? report.trolleybusLines : report.busLines) += 1;
    std::set<std::int64_t> masters;
    for (const OsmRoute* route : routes) masters.insert(route->masterId);
    if (masters.size() > 1)
      report.notes.push_back(std::string(first.trolleybus ? "trolleybus " : "bus ") + first.ref +
                             ": " + std::to_string(masters.size()) +
                             " routes share the ref; the one with most stops is the page, the "
                             "others are comments in its file");
  }
}

}  // namespace

ImportReport ImportLines(const ImportRequest& request,
                         const std::function<void(double)>& progress) {
  const std::string pinyin = CityPinyin(request);
  OsmRoutes osm;
  try {
    osm = ReadOsmRoutes(request.extract, progress);
  } catch (const std::exception& error) {
    throw ImportError("cannot read " + request.extract.string() + ": " + error.what());
  }

  ImportReport report;
  report.notes = osm.skipped;
  for (const OsmRoute& route : osm.routes) report.unnamedStops += route.unnamedStops;
  const Lines lines = GroupByLine(osm.routes, pinyin, report);
  if (lines.empty())
    throw ImportError("no bus or trolleybus routes with a ref and named stops in " +
                      request.extract.string());
  CountLines(lines, report);

  std::error_code error;
  fs::create_directories(request.dataFolder, error);
  report.cityFolder = request.dataFolder / pinyin;
  const fs::path fresh =
      request.dataFolder / ("." + pinyin + ".import-" + std::to_string(::getpid()));
  try {
    fs::remove_all(fresh);
    fs::create_directory(fresh);
    // Creating a thousand files is mostly the kernel's work, which cores share.
    ForEachOnEveryCore(std::span(lines), [&fresh](const auto& line) {
      WriteLineFile(fresh / line.first, line.second);
    });
    SwapIn(fresh, report.cityFolder);
  } catch (const fs::filesystem_error& failure) {
    fs::remove_all(fresh, error);
    throw ImportError(failure.what());
  } catch (...) {
    fs::remove_all(fresh, error);
    throw;
  }
  return report;
}

}  // namespace Site
