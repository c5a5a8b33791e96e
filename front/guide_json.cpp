#include "front/guide_json.h"

#include <cstdio>
#include <unordered_map>

#include "lines/line_address.h"

namespace Front {

namespace {

// A JSON string: quotes, backslashes and control characters escaped, and
// "<" too, so that no text can close a script it is put in.
std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || c == '<') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

std::string CitiesJson(const std::vector<CitySummary>& cities) {
  std::string json = "[";
  for (const CitySummary& city : cities)
    json += std::string(json.size() > 1 ? "," : "") + "{\"city\":" + Quoted(city.city) +
            ",\"name\":" + Quoted(city.name) + "}";
  return json + "]";
}

std::string GuideJson(const Lines::CityIndex& city) {
  const std::vector<std::string> stops = city.Stops();
  std::unordered_map<std::string_view, std::size_t> number;
  std::string json =
      "{\"city\":" + Quoted(city.City()) + ",\"name\":" + Quoted(city.Name()) + ",\"stops\":[";
  for (std::size_t i = 0; i < stops.size(); ++i) {
    number.emplace(stops[i], i);
    json += (i ? "," : "") + Quoted(stops[i]);
  }
  json += "],\"lines\":[";
  for (std::size_t l = 0; l < city.Lines().size(); ++l) {
    const Lines::CityLine& line = city.Lines()[l];
    json += std::string(l ? "," : "") + "{\"ref\":" + Quoted(line.name.designation) +
            ",\"kind\":" + (line.name.kind == Lines::VehicleKind::Bus ? "0" : "1") +
            ",\"page\":" + Quoted(Lines::EncodePath(line.address)) + ",\"dirs\":[";
    for (std::size_t d = 0; d < line.directions.size(); ++d) {
      json += d ? ",[" : "[";
      for (std::size_t p = 0; p < line.directions[d].size(); ++p)
        json += (p ? "," : "") + std::to_string(number.at(line.directions[d][p]));
      json += "]";
    }
    json += "]}";
  }
  return json + "]}";
}

}  // namespace Front
