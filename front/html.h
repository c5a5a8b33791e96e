#pragma once

#include <string>
#include <string_view>

namespace Front {

// What a request path comes to: an HTTP status and the HTML page to show.
struct Page {
  int status = 200;
  std::string html;
};

// `text` for HTML: markup characters as entities, and brackets and braces
// too, so that no name shown on a page can form the markers of a stop record.
std::string EscapeHtml(std::string_view text);

// A page of the route site: UTF-8 HTML titled `title` (plain text), headed
// `heading` (HTML), holding `body`.
std::string HtmlPage(std::string_view title, std::string_view heading, std::string_view body);
// The same with a heading that is the title.
std::string HtmlPage(std::string_view title, std::string_view body);

// A name from the data, set apart from the text around it so that no
// direction mark in it can reorder that text: <bdi> for HTML, and the
// isolates U+2068 … U+2069 for plain text.
std::string Bdi(std::string_view name);
std::string IsolatedText(std::string_view name);

// <a href="path">text</a>, the text escaped.
std::string Link(std::string_view path, std::string_view text);
// <a href="path"><bdi>name</bdi></a>.
std::string NameLink(std::string_view path, std::string_view name);

}  // namespace Front
