#include "front/line_map.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <optional>

#include "front/html.h"

namespace Front {

namespace {

struct Point {
  double x, y;
};

std::optional<Point> LongitudeLatitude(std::string_view location) {
  const auto bar = location.find('|');
  if (bar == location.npos) return std::nullopt;
  Point point{};
  const auto read = [](std::string_view text, double& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
  };
  if (!read(location.substr(0, bar), point.x) || !read(location.substr(bar + 1), point.y) ||
      std::abs(point.x) > 180 || std::abs(point.y) > 90)
    return std::nullopt;
  return point;
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

constexpr std::string_view kColours[] = {"#0b6e4f", "#c2410c", "#1d4ed8", "#7e22ce", "#b91c1c"};
constexpr double kWidth = 1000, kMargin = 60;

}  // namespace

std::string LineMap(const std::vector<MapDirection>& directions, std::string_view focus) {
  // Longitude and latitude as they are, then east-west shrunk by the cosine of
  // the latitude, which keeps a city's shapes.
  std::vector<std::vector<std::pair<Point, std::string_view>>> drawn;
  double west = std::numeric_limits<double>::max(), east = -west, south = west, north = -west;
  for (const MapDirection& direction : directions) {
    auto& points = drawn.emplace_back();
    for (const MapStop& stop : direction)
      if (const auto point = LongitudeLatitude(stop.location)) {
        points.emplace_back(*point, stop.name);
        west = std::min(west, point->x), east = std::max(east, point->x);
        south = std::min(south, point->y), north = std::max(north, point->y);
      }
  }
  if (west > east) return "";
  const double shrink = std::cos((south + north) / 2 * std::numbers::pi / 180);
  const double spanX = std::max((east - west) * shrink, 1e-6),
               spanY = std::max(north - south, 1e-6);
  const double scale = (kWidth - 2 * kMargin) / std::max(spanX, spanY);
  const auto place = [&](Point p) {
    return Point{kMargin + (p.x - west) * shrink * scale, kMargin + (north - p.y) * scale};
  };
  const double height = 2 * kMargin + spanY * scale;
  std::string svg = "<svg class=\"map\" viewBox=\"0 0 " + Number(kWidth) + " " + Number(height) +
                    "\" role=\"img\" aria-label=\"线路图\">\n";
  for (std::size_t d = 0; d < drawn.size(); ++d) {
    const std::string_view colour = kColours[d % std::size(kColours)];
    std::string line = "<polyline stroke=\"" + std::string(colour) + "\" points=\"";
    std::string marks;
    for (const auto& [point, name] : drawn[d]) {
      const Point at = place(point);
      line += Number(at.x) + "," + Number(at.y) + " ";
      marks += "<circle class=\"stop\" cx=\"" + Number(at.x) + "\" cy=\"" + Number(at.y) +
               "\" r=\"" + (name == focus ? "16" : "9") + "\" stroke=\"" + std::string(colour) +
               "\"><title>" + EscapeHtml(name) + "</title></circle>\n";
    }
    svg.append(line).append("\"/>\n").append(marks);
  }
  if (const auto& first = drawn.front(); !first.empty())
    for (const auto* end : {&first.front(), &first.back()}) {
      const Point at = place(end->first);
      svg += "<text x=\"" + Number(at.x + 14) + "\" y=\"" + Number(at.y - 14) + "\">" +
             EscapeHtml(end->second) + "</text>\n";
      if (first.size() == 1) break;
    }
  return svg + "</svg>\n";
}

}  // namespace Front
