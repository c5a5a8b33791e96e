#pragma once

#include <string>
#include <string_view>

namespace Lines {

// What a request path comes to: an HTTP status and the HTML page to show.
struct Page {
  int status = 200;
  std::string html;
};

// `text` for HTML: markup characters as entities, and brackets and braces
// too, so that no name shown on a page can form the markers of a stop record.
std::string EscapeHtml(std::string_view text);

// A page of the route site: UTF-8 HTML titled `title`, holding `body`.
std::string HtmlPage(std::string_view title, std::string_view body);

// <a href="path">text</a>, the text escaped.
std::string Link(std::string_view path, std::string_view text);

}  // namespace Lines
