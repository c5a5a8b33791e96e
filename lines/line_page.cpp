#include "lines/line_page.h"

#include <sstream>

#include "lines/display_form.h"

namespace Lines {

namespace {

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

// A location as the records carry it: only what coordinates are written
// with, so that nothing in it can be read as part of a stop.
std::string LocationForm(std::string_view location) {
  std::string out;
  for (const char c : location)
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' ||
        c == '|' || c == '-' || c == '+')
      out += c;
  return out;
}

}  // namespace

std::string LinePage(const LineFile& line) {
  std::ostringstream page;
  page << "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
       << "<title>" << EscapeHtml(line.title) << "</title></head>\n<body>\n"
       << "<h1>" << EscapeHtml(line.title) << "</h1>\n<ol>\n";
  for (const LineFile::Stop& stop : line.stops)
    page << "<li>" << EscapeHtml(stop.name) << "</li>\n";
  page << "</ol>\n<script>\nvar line = {stations:[";
  for (std::size_t i = 0; i < line.stops.size(); ++i) {
    page << (i ? "," : "") << "{name:'" << DisplayForm(line.stops[i].name) << "',strlatlon:'"
         << LocationForm(line.stops[i].location) << "'}";
  }
  page << "]};\n</script>\n</body></html>\n";
  return page.str();
}

std::string NotFoundPage(std::string_view path) {
  return "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
         "<title>404 没有这条线路</title></head>\n<body><h1>404 没有这条线路</h1>\n<p>" +
         EscapeHtml(path) + "</p>\n</body></html>\n";
}

}  // namespace Lines
