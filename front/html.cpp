#include "front/html.h"

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

std::string HtmlPage(std::string_view title, std::string_view heading, std::string_view body) {
  std::string page = "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>" +
                     EscapeHtml(title) + "</title></head>\n<body>\n<h1>";
  page.append(heading).append("</h1>\n").append(body).append("</body></html>\n");
  return page;
}

std::string HtmlPage(std::string_view title, std::string_view body) {
  return HtmlPage(title, EscapeHtml(title), body);
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
