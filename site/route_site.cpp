#include "site/route_site.h"

#include <httplib.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <vector>

namespace Site {

namespace {

constexpr std::string_view kBusSuffix = "lu";
constexpr std::string_view kTrolleybusSuffix = "ludianche";

struct Stop {
  std::string name;
  std::string latlon;
};

std::string EscapeHtml(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      // Brackets and braces too, so that no stop name shown above the script
      // can form the markers of a stop record.
      case '[':
        out += "&#91;";
        break;
      case ']':
        out += "&#93;";
        break;
      case '{':
        out += "&#123;";
        break;
      case '}':
        out += "&#125;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// Inside the script's single-quoted strings; the record markers must not be
// forged by a stop name either.
std::string EscapeScript(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\'' || c == '\\') out += '\\';
    if (c == '}' || c == ']' || c == '<' || c == '\n' || c == '\r') continue;
    out += c;
  }
  return out;
}

std::vector<Stop> ReadStops(const std::filesystem::path& file, std::string& title) {
  std::ifstream in(file, std::ios::binary);
  std::vector<Stop> stops;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line[0] == '#') {
      if (title.empty()) title = line.substr(line.find_first_not_of("# "));
      continue;
    }
    const auto tab = line.find('\t');
    stops.push_back({line.substr(0, tab), tab == line.npos ? "" : line.substr(tab + 1)});
  }
  return stops;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// A city is plain pinyin; a line may hold anything but path separators,
// control characters or a leading dot.
bool SafeName(std::string_view name, bool city) {
  if (name.empty() || name[0] == '.') return false;
  return std::all_of(name.begin(), name.end(), [city](char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (city) return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
    return byte >= 0x20 && c != '/' && c != '\\' && byte != 0x7F;
  });
}

std::string NotFoundPage(std::string_view path) {
  return "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
         "<title>404 没有这条线路</title></head>\n<body><h1>404 没有这条线路</h1>\n<p>" +
         EscapeHtml(path) + "</p>\n</body></html>\n";
}

}  // namespace

RouteSite::RouteSite(std::filesystem::path dataDir) : dataDir_(std::move(dataDir)) {}

std::optional<std::filesystem::path> RouteSite::LineFile(std::string_view path) const {
  // "/{city}/xianlu/{LINE}{suffix}/"
  if (path.size() < 2 || path.front() != '/' || path.back() != '/') return std::nullopt;
  path = path.substr(1, path.size() - 2);
  const auto slash = path.find('/');
  if (slash == path.npos) return std::nullopt;
  const std::string_view city = path.substr(0, slash);
  std::string_view rest = path.substr(slash + 1);
  constexpr std::string_view kXianlu = "xianlu/";
  if (rest.substr(0, kXianlu.size()) != kXianlu) return std::nullopt;
  const std::string_view line = rest.substr(kXianlu.size());
  if (!SafeName(city, true) || !SafeName(line, false)) return std::nullopt;
  if (!EndsWith(line, kBusSuffix) && !EndsWith(line, kTrolleybusSuffix)) return std::nullopt;

  const auto file = dataDir_ / std::filesystem::u8path(city) /
                    std::filesystem::u8path(std::string(line) + ".txt");
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
  return file;
}

std::optional<std::string> RouteSite::PageFor(std::string_view path) const {
  const auto file = LineFile(path);
  if (!file) return std::nullopt;

  std::string title;
  const std::vector<Stop> stops = ReadStops(*file, title);
  if (title.empty()) title = file->stem().string();

  std::ostringstream page;
  page << "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
       << "<title>" << EscapeHtml(title) << "</title></head>\n<body>\n"
       << "<h1>" << EscapeHtml(title) << "</h1>\n"
       << "<p>示例数据：本页线路与站点仅供演示，不是真实的线路或时刻表。</p>\n<ol>\n";
  for (const Stop& stop : stops) page << "<li>" << EscapeHtml(stop.name) << "</li>\n";
  page << "</ol>\n<script>\nvar line = {stations:[";
  for (std::size_t i = 0; i < stops.size(); ++i) {
    page << (i ? "," : "") << "{name:'" << EscapeScript(stops[i].name) << "',strlatlon:'"
         << EscapeScript(stops[i].latlon) << "'}";
  }
  page << "]};\n</script>\n</body></html>\n";
  return page.str();
}

void RouteSite::Mount(httplib::Server& server) const {
  server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
    if (auto page = PageFor(request.path)) {
      response.set_content(*page, "text/html; charset=utf-8");
    } else {
      response.status = 404;
      response.set_content(NotFoundPage(request.path), "text/html; charset=utf-8");
    }
  });
  server.set_logger([](const httplib::Request& request, const httplib::Response& response) {
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::cout << request.method << ' ' << request.path << ' ' << response.status << std::endl;
  });
}

}  // namespace Site
