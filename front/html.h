#pragma once

#include <string>
#include <string_view>

namespace Front {

inline constexpr std::string_view kHtmlType = "text/html; charset=utf-8";

// What a request path comes to: an HTTP status and the body to send, HTML
// unless `type` says otherwise.
struct Page {
  int status = 200;
  std::string html;
  std::string_view type = kHtmlType;
};

// The city a page is about: its pinyin and name, for the links and forms of
// the page, and where its lines come from, for the credit.
struct PageCity {
  std::string_view pinyin;
  std::string_view name;
  bool openStreetMap = false;
  std::string_view source{};  // where its lines come from, when their files say
};

// "首班 06:05 · 末班 次日 00:40" for "06:05-24:40"; empty for no times.
std::string TimesText(std::string_view times);

// `text` for HTML: markup characters as entities, and brackets and braces
// too, so that no name shown on a page can form the markers of a stop record.
std::string EscapeHtml(std::string_view text);

// A page of the route site: UTF-8 HTML titled `title` (plain text), headed
// `heading` (HTML), holding `body`; around it the links home and to the
// city, the search forms (the city filled in), and the credit of the city's
// data. The stylesheet and the script are the site's own (/static/).
std::string HtmlPage(std::string_view title, std::string_view heading, std::string_view body,
                     const PageCity* city = nullptr);
// The same with a heading that is the title.
std::string HtmlPage(std::string_view title, std::string_view body);

// A form for trips from or to `stop` of `city` (the other end to type).
std::string TripForms(const PageCity& city, std::string_view stop);

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
