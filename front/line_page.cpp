#include "front/line_page.h"

#include <cctype>

#include "front/guide_pages.h"
#include "front/html.h"
#include "front/line_map.h"
#include "lines/display_form.h"
#include "lines/line_address.h"

namespace Front {

namespace {

// A location as the records carry it: only what coordinates are written
// with, so that nothing in it can be read as part of a stop.
std::string LocationForm(std::string_view location) {
  constexpr std::string_view kPunctuation = ".|+-";
  std::string out;
  for (const char c : location)
    if (std::isalnum(static_cast<unsigned char>(c)) != 0 ||
        kPunctuation.find(c) != kPunctuation.npos)
      out += c;
  return out;
}

}  // namespace

std::string LinePage(const LineFile& line, const PageCity& city) {
  std::string body;
  std::vector<MapDirection> map;
  const auto appendDirection = [&](const LineFile::Stops& stops) {
    if (stops.empty()) return;
    body += "<h2>" + Bdi(stops.front().name) + " → " + Bdi(stops.back().name) + "</h2>\n";
    // A direction's first and last buses leave its first stop then.
    if (const std::string times = TimesText(stops.front().times); !times.empty())
      body += "<p class=\"note\">" + times + "（各服务日合计）</p>\n";
    body += "<ol class=\"stops\">\n";
    for (const LineFile::Stop& stop : stops)
      body += "<li>" + StopHtml(city.pinyin, stop.name) + "</li>\n";
    body += "</ol>\n";
    MapDirection& drawn = map.emplace_back();
    for (const LineFile::Stop& stop : stops) drawn.push_back({stop.name, stop.location});
  };
  appendDirection(line.stops);
  for (const LineFile::Direction& direction : line.moreDirections) appendDirection(direction.stops);
  body = LineMap(map) + body;
  // The records: the first direction only, which is what the tool reads.
  body += "<script>\nvar line = {stations:[";
  for (std::size_t i = 0; i < line.stops.size(); ++i)
    body += std::string(i ? "," : "") + "{name:'" + Lines::DisplayForm(line.stops[i].name) +
            "',strlatlon:'" + LocationForm(line.stops[i].location) + "'}";
  body += "]};\n</script>\n";
  // "北京 1路": the city first, unless the title names it already.
  const bool named = std::string_view(line.title).starts_with(city.name);
  return HtmlPage((named ? "" : IsolatedText(city.name) + " ") + IsolatedText(line.title),
                  (named ? "" : Bdi(city.name) + " ") + Bdi(line.title), body, &city);
}

std::string NotFoundPage(std::string_view path) {
  return HtmlPage("404 没有这条线路", "<p>" + Bdi(path) + "</p>\n");
}

}  // namespace Front
