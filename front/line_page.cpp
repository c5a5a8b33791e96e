#include "front/line_page.h"

#include <cctype>

#include "front/guide_pages.h"
#include "front/html.h"
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

std::string LinePage(const LineFile& line, std::string_view city) {
  std::string body =
      "<p>" + Link("/", "城市") + " · " + Link(Lines::CityLinesPath(city), "本市线路") + "</p>\n";
  const auto appendDirection = [&](const LineFile::Stops& stops) {
    if (stops.empty()) return;
    body += "<h2>" + Bdi(stops.front().name) + " → " + Bdi(stops.back().name) + "</h2>\n<ol>\n";
    for (const LineFile::Stop& stop : stops) body += "<li>" + StopHtml(city, stop.name) + "</li>\n";
    body += "</ol>\n";
  };
  appendDirection(line.stops);
  for (const LineFile::Direction& direction : line.moreDirections) appendDirection(direction.stops);
  // The records: the first direction only, which is what the tool reads.
  body += "<script>\nvar line = {stations:[";
  for (std::size_t i = 0; i < line.stops.size(); ++i)
    body += std::string(i ? "," : "") + "{name:'" + Lines::DisplayForm(line.stops[i].name) +
            "',strlatlon:'" + LocationForm(line.stops[i].location) + "'}";
  body += "]};\n</script>\n";
  return HtmlPage(IsolatedText(line.title), Bdi(line.title), body);
}

std::string NotFoundPage(std::string_view path) {
  return HtmlPage("404 没有这条线路", "<p>" + Bdi(path) + "</p>\n");
}

}  // namespace Front
