#include "lines/guide_pages.h"

#include <set>
#include <utility>

#include "lines/transfers.h"

namespace Lines {

namespace {

std::string Navigation(const CityIndex& city) {
  return "<p>" + Link("/", "城市") + " · <a href=\"" + CityLinesPath(city.City()) + "\">" +
         Bdi(city.Name()) + "的线路</a></p>\n";
}

std::string List(const std::vector<std::string>& items) {
  std::string list = "<ol>\n";
  for (const std::string& item : items) list += "<li>" + item + "</li>\n";
  return list + "</ol>\n";
}

// "K55 公交", linked to the line's page.
std::string LineLink(const CityLine& line) {
  return NameLink(EncodePath(line.address), line.name.designation) + " " +
         std::string(KindName(line.name.kind));
}

// The stops of a city whose names contain each of `names` that is no stop.
std::string Suggestions(const CityIndex& city, const std::vector<std::string_view>& names) {
  std::string body;
  for (const std::string_view name : names) {
    if (!city.Visits(name).empty()) continue;
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

std::string RideText(const CityIndex& city, const Ride& ride) {
  const CityLine& line = city.Lines()[ride.line];
  const auto& stops = line.directions[ride.direction];
  return LineLink(line) + "：" + Bdi(stops[ride.from]) + " → " + Bdi(stops[ride.to]) + "，" +
         std::to_string(ride.stops) + " 站";
}

}  // namespace

std::string StopHtml(std::string_view city, std::string_view stop) {
  return HasStopPage(stop) ? NameLink(StopPath(city, stop), stop) : Bdi(stop);
}

std::string_view KindName(VehicleKind kind) { return kind == VehicleKind::Bus ? "公交" : "电车"; }

Page CitiesPage(const std::vector<CitySummary>& cities) {
  std::vector<std::string> items;
  items.reserve(cities.size());
  for (const CitySummary& city : cities)
    items.push_back(NameLink(CityLinesPath(city.city), city.name) + "：" +
                    std::to_string(city.lines) + " 条线路");
  return {200, HtmlPage("城市", List(items))};
}

Page CityLinesPage(const CityIndex& city) {
  std::vector<std::string> items;
  for (const CityLine& line : city.Lines())
    items.push_back(LineLink(line) + "：" + Ends(line.directions.front()));
  return {items.empty() ? 404 : 200,
          HtmlPage(IsolatedText(city.Name()) + "的线路", Bdi(city.Name()) + "的线路",
                   Navigation(city) + List(items))};
}

Page StopPage(const CityIndex& city, std::string_view stop) {
  const std::string title = IsolatedText(city.Name()) + " " + IsolatedText(stop);
  const std::string heading = Bdi(city.Name()) + " " + Bdi(stop);
  const auto& visits = city.Visits(stop);
  if (visits.empty())
    return {404, HtmlPage("404 " + title, "404 " + heading,
                          Navigation(city) + Suggestions(city, {stop}))};
  std::set<std::pair<std::uint32_t, std::uint32_t>> shown;  // a direction that stops twice: once
  std::vector<std::string> items;
  for (const StopVisit& visit : visits)
    if (shown.insert({visit.line, visit.direction}).second)
      items.push_back(LineLink(city.Lines()[visit.line]) + "：" +
                      Ends(city.Lines()[visit.line].directions[visit.direction]));
  return {200, HtmlPage(title, heading, Navigation(city) + List(items))};
}

Page TransferPage(const CityIndex& city, std::string_view from, std::string_view to) {
  const std::string title =
      IsolatedText(city.Name()) + " " + IsolatedText(from) + " → " + IsolatedText(to);
  const std::string heading = Bdi(city.Name()) + " " + Bdi(from) + " → " + Bdi(to);
  std::vector<std::string> items;
  for (const Way& way : FindWays(city, from, to)) {
    std::string item = RideText(city, way.rides.front());
    if (way.rides.size() == 2) {
      const Ride& second = way.rides.back();
      const std::string& change =
          city.Lines()[second.line].directions[second.direction][second.from];
      item += "；在" + StopHtml(city.City(), change) + "换乘 " + RideText(city, second) + "；共 " +
              std::to_string(way.Stops()) + " 站";
    }
    items.push_back(std::move(item));
  }
  if (items.empty())
    return {404, HtmlPage("404 " + title, "404 " + heading,
                          Navigation(city) + Suggestions(city, {from, to}) +
                              "<p>一次换乘以内没有到达的线路。</p>\n")};
  return {200, HtmlPage(title, heading, Navigation(city) + List(items))};
}

}  // namespace Lines
