#include "front/html.h"

#include <charconv>

#include "lines/line_address.h"

namespace Front {

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
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

namespace {

std::string Attribute(std::string_view value) { return "\"" + EscapeHtml(value) + "\""; }

// <label>LABEL<input name="NAME" …></label>, the value filled in when given.
std::string Field(std::string_view label, std::string_view name, std::string_view value = {},
                  std::string_view extra = {}) {
  return "<label>" + std::string(label) + "<input name=\"" + std::string(name) + "\" required" +
         std::string(extra) + (value.empty() ? "" : " value=" + Attribute(value)) + "></label>";
}

// A plain GET form to the search page, which finds what it asks for.
std::string SearchForm(std::string_view question, std::string_view fields,
                       std::string_view button) {
  return "<form class=\"search\" action=\"/chaxun/\" method=\"get\">"
         "<input type=\"hidden\" name=\"q\" value=\"" +
         std::string(question) + "\">" + std::string(fields) + "<button>" + std::string(button) +
         "</button></form>\n";
}

std::string CityField(const PageCity* city) {
  return Field("城市", "city", city != nullptr ? city->name : "", " list=\"cities\"");
}

std::string Footer(const PageCity* city) {
  std::string footer = "<footer>\n";
  footer += SearchForm("xianlu",
                       CityField(city) + Field("线路", "line") +
                           "<label>车型<select name=\"kind\"><option value=\"bus\">公交</option>"
                           "<option value=\"trolleybus\">电车</option></select></label>",
                       "查线路");
  footer += SearchForm("zhandian", CityField(city) + Field("站点", "stop"), "查站点");
  footer += SearchForm("huancheng", CityField(city) + Field("起点", "from") + Field("终点", "to"),
                       "查换乘");
  footer += "<datalist id=\"cities\"></datalist>\n";
  if (city != nullptr && !city->source.empty())
    footer += "<p class=\"credit\">线路数据来源：" + EscapeHtml(city->source) + "</p>\n";
  if (city != nullptr && city->openStreetMap)
    footer +=
        "<p class=\"credit\">线路数据 <a href=\"https://www.openstreetmap.org/copyright\">© "
        "OpenStreetMap contributors</a>（ODbL）</p>\n";
  return footer + "</footer>\n";
}

}  // namespace

std::string HtmlPage(std::string_view title, std::string_view heading, std::string_view body,
                     const PageCity* city) {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"><title>" +
      EscapeHtml(title) +
      "</title><link rel=\"stylesheet\" href=\"/static/ridelon.css\">"
      "<script src=\"/static/ridelon.js\" defer></script></head>\n<body>\n<nav><a "
      "href=\"/\">公交线路查询</a>";
  if (city != nullptr)
    page.append(" · <a href=\"")
        .append(Lines::CityLinesPath(city->pinyin))
        .append("\">")
        .append(Bdi(city->name))
        .append("的线路</a>");
  page.append("</nav>\n<main>\n<h1>").append(heading).append("</h1>\n").append(body);
  return page.append("</main>\n").append(Footer(city)).append("</body></html>\n");
}

std::string HtmlPage(std::string_view title, std::string_view body) {
  return HtmlPage(title, EscapeHtml(title), body);
}

namespace {

// "24:40" as "次日 00:40": a service day runs on past midnight. A line file is
// free text, so anything that is not hours and minutes is shown as it stands.
std::string ClockText(std::string_view time) {
  const auto colon = time.find(':');
  int hours = 0;
  const char* const end = time.data() + (colon == time.npos ? time.size() : colon);
  const auto [parsed, error] = std::from_chars(time.data(), end, hours);
  if (colon == time.npos || error != std::errc() || parsed != end || hours < 24) {
    return std::string(time);
  }
  const std::string next = std::to_string(hours - 24);
  return "次日 " + std::string(next.size() < 2 ? "0" : "") + next + std::string(time.substr(colon));
}

}  // namespace

std::string TimesText(std::string_view times) {
  const auto dash = times.find('-');
  if (times.empty() || dash == times.npos) return "";
  return "首班 " + EscapeHtml(ClockText(times.substr(0, dash))) + " · 末班 " +
         EscapeHtml(ClockText(times.substr(dash + 1)));
}

std::string TripForms(const PageCity& city, std::string_view stop) {
  const std::string cityField =
      "<input type=\"hidden\" name=\"city\" value=" + Attribute(city.name) + ">";
  return "<h2>从这里出发，或到这里来</h2>\n" +
         SearchForm("huancheng", cityField + Field("起点", "from", stop) + Field("终点", "to"),
                    "查换乘") +
         SearchForm("huancheng", cityField + Field("起点", "from") + Field("终点", "to", stop),
                    "查换乘");
}

std::string Bdi(std::string_view name) { return "<bdi>" + EscapeHtml(name) + "</bdi>"; }

std::string IsolatedText(std::string_view name) { return "\u2068" + std::string(name) + "\u2069"; }

std::string Link(std::string_view path, std::string_view text) {
  return "<a href=\"" + std::string(path) + "\">" + EscapeHtml(text) + "</a>";
}

std::string NameLink(std::string_view path, std::string_view name) {
  return "<a href=\"" + std::string(path) + "\">" + Bdi(name) + "</a>";
}

}  // namespace Front
