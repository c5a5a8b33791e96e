#include "front/guide_pages.h"

#include <algorithm>
#include <set>
#include <span>
#include <string_view>
#include <utility>

#include "front/line_map.h"
#include "lines/transfers.h"

namespace Front {

namespace {

PageCity Context(const CityIndex& city) {
  return {city.City(), city.Name(), city.OpenStreetMap(), city.Source()};
}

// A guide's list: its items are named, not numbered.
std::string List(const std::vector<std::string>& items) {
  std::string list = "<ul class=\"guide\">\n";
  for (const std::string& item : items) list += "<li>" + item + "</li>\n";
  return list + "</ul>\n";
}

// The lines through `stop`, each direction drawn from its stops' locations.
// A stop that hundreds of lines pass keeps its page small: its map and list
// show this many directions, and the rest are on the city's list of lines.
constexpr std::size_t kMostDirectionsOnAStopPage = 100;

std::string StopMap(const CityIndex& city, const std::string& stop) {
  std::vector<MapDirection> map;
  const auto& visits = city.Visits(stop);
  for (const StopVisit& visit :
       std::span(visits).first(std::min(visits.size(), kMostDirectionsOnAStopPage))) {
    MapDirection& drawn = map.emplace_back();
    for (const std::string& name : city.Lines()[visit.line].directions[visit.direction])
      drawn.push_back({name, city.Location(name)});
  }
  return LineMap(map, stop);
}

// `items` without repeats, in their order: two ways or two directions that
// read the same are one row to a rider.
std::vector<std::string> Unique(std::vector<std::string> items) {
  std::set<std::string> seen;
  std::vector<std::string> unique;
  for (std::string& item : items)
    if (seen.insert(item).second) unique.push_back(std::move(item));
  return unique;
}

// "K55 公交", linked to the line's page.
std::string LineLink(const CityLine& line) {
  // A ref with spaces in corner brackets, so that it reads as one item.
  const std::string& ref = line.name.designation;
  const bool spaced = ref.find(' ') != std::string::npos;
  return NameLink(Lines::EncodePath(line.address), spaced ? "「" + ref + "」" : ref) + " " +
         std::string(KindName(line.name.kind));
}

// The stops of a city whose names contain each of `names` that is no stop.
std::string Suggestions(const CityIndex& city, const std::vector<std::string_view>& names) {
  std::string body;
  for (const std::string_view name : names) {
    if (city.StopNamed(name) != nullptr) continue;
    std::vector<std::string> links;
    for (const std::string& stop : city.StopsContaining(name))
      links.push_back(StopHtml(city.City(), stop));
    body += "<p>没有站点“" + Bdi(name) + "”" +
            (links.empty() ? "。</p>\n" : "。名称含有它的站点：</p>\n" + List(links));
  }
  return body;
}

// "济南火车站 → 洪家楼": a direction by its ends.
std::string Ends(const std::vector<std::string>& stops) {
  return stops.empty() ? "" : Bdi(stops.front()) + " → " + Bdi(stops.back());
}

std::string RideText(const CityIndex& city, const Lines::Ride& ride) {
  const CityLine& line = city.Lines()[ride.line];
  const auto& stops = line.directions[ride.direction];
  return LineLink(line) + "：" + Bdi(stops[ride.from]) + " → " + Bdi(stops[ride.to]) + "，" +
         std::to_string(ride.stops) + " 站";
}

}  // namespace

std::string StopHtml(std::string_view city, std::string_view stop) {
  return Lines::HasStopPage(stop) ? NameLink(Lines::StopPath(city, stop), stop) : Bdi(stop);
}

std::string_view KindName(VehicleKind kind) { return kind == VehicleKind::Bus ? "公交" : "电车"; }

Page CitiesPage(const std::vector<CitySummary>& cities) {
  std::vector<std::string> items;
  items.reserve(cities.size());
  for (const CitySummary& city : cities)
    items.push_back(NameLink(Lines::CityLinesPath(city.city), city.name) + "：" +
                    std::to_string(city.lines) + " 条线路");
  return {200, HtmlPage("城市", List(items))};
}

std::string CityLinesList(const CityIndex& city) {
  std::vector<std::string> items;
  for (const CityLine& line : city.Lines()) {
    const std::string times =
        TimesText(line.times.front().empty() ? "" : line.times.front().front());
    items.push_back(LineLink(line) + "：" + Ends(line.directions.front()) +
                    (times.empty() ? "" : "，" + times));
  }
  return List(items);
}

Page NoSuchCityPage(const std::vector<CitySummary>& cities, std::string_view path) {
  std::vector<std::string> items;
  items.reserve(cities.size());
  for (const CitySummary& city : cities)
    items.push_back(NameLink(Lines::CityLinesPath(city.city), city.name));
  return {404, HtmlPage("没有这个城市", "<p>" + Bdi(path) + "</p>\n" + List(items))};
}

Page CityLinesPage(const CityIndex& city) {
  const PageCity context = Context(city);
  return {city.Lines().empty() ? 404 : 200,
          HtmlPage(IsolatedText(city.Name()) + "的线路", Bdi(city.Name()) + "的线路",
                   CityLinesList(city), &context)};
}

Page StopPage(const CityIndex& city, std::string_view typed) {
  const std::string* named = city.StopNamed(typed);
  const std::string_view stop = named != nullptr ? std::string_view(*named) : typed;
  const std::string title = IsolatedText(city.Name()) + " " + IsolatedText(stop);
  const std::string heading = Bdi(city.Name()) + " " + Bdi(stop);
  const PageCity context = Context(city);
  if (named == nullptr)
    return {404, HtmlPage("404 " + title, "404 " + heading, Suggestions(city, {stop}), &context)};
  // Once each: a direction that stops twice, and directions of one line with
  // the same ends (variants sharing a stretch).
  std::vector<std::string> items;
  for (const StopVisit& visit : city.Visits(*named)) {
    const CityLine& line = city.Lines()[visit.line];
    const std::string times = TimesText(line.times[visit.direction][visit.position]);
    items.push_back(LineLink(line) + "：" + Ends(line.directions[visit.direction]) +
                    (times.empty() ? "" : "，" + times));
  }
  items = Unique(std::move(items));
  std::string more;
  if (items.size() > kMostDirectionsOnAStopPage) {
    more = "<p>另有 " + std::to_string(items.size() - kMostDirectionsOnAStopPage) +
           " 个线路方向经过此站：见" + NameLink(Lines::CityLinesPath(city.City()), "全部线路") +
           "。</p>\n";
    items.resize(kMostDirectionsOnAStopPage);
  }
  return {200, HtmlPage(title, heading,
                        StopMap(city, *named) + List(items) + more + TripForms(context, *named),
                        &context)};
}

Page TransferPage(const CityIndex& city, std::string_view typedFrom, std::string_view typedTo) {
  const std::string* fromStop = city.StopNamed(typedFrom);
  const std::string* toStop = city.StopNamed(typedTo);
  const std::string_view from = fromStop != nullptr ? std::string_view(*fromStop) : typedFrom;
  const std::string_view to = toStop != nullptr ? std::string_view(*toStop) : typedTo;
  const std::string title =
      IsolatedText(city.Name()) + "：" + IsolatedText(from) + " → " + IsolatedText(to);
  const std::string heading = Bdi(city.Name()) + "：" + Bdi(from) + " → " + Bdi(to);
  const PageCity context = Context(city);
  if (fromStop != nullptr && fromStop == toStop)
    return {404,
            HtmlPage("404 " + title, "404 " + heading + "：起点和终点是同一个站点", "", &context)};
  std::vector<std::string> items;
  if (fromStop != nullptr && toStop != nullptr)
    for (const Lines::Way& way : Lines::FindWays(city, from, to)) {
      std::string item = RideText(city, way.rides.front());
      if (way.rides.size() == 2) {
        const Lines::Ride& second = way.rides.back();
        const std::string& change =
            city.Lines()[second.line].directions[second.direction][second.from];
        item += "；在" + StopHtml(city.City(), change) + "换乘 " + RideText(city, second) +
                "；共 " + std::to_string(way.Stops()) + " 站";
      }
      items.push_back(std::move(item));
    }
  if (items.empty())
    return {404, HtmlPage("404 " + title, "404 " + heading,
                          Suggestions(city, {from, to}) + "<p>一次换乘以内没有到达的线路。</p>\n",
                          &context)};
  return {200, HtmlPage(title, heading, List(Unique(std::move(items))), &context)};
}

}  // namespace Front
