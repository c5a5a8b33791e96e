#include "query/guide_query.h"

#include "lines/line_address.h"
#include "query/query_texts.h"
#include "query/run_query.h"
#include "query/station_list.h"
#include "query/text_trim.h"
#include "web/text_codec.h"

namespace Query {

namespace {

// The base, then the guide's path for the city and the names, trimmed.
std::u16string GuideUrl(std::u16string_view base, std::u16string_view cityText,
                        std::string_view word, std::initializer_list<std::u16string_view> names) {
  std::vector<std::u16string> trimmed;
  for (const std::u16string_view name : names) trimmed.push_back(TrimSpaces(name));
  return std::u16string(base) + Lines::ComposePath<char16_t>(CityPinyin(cityText), word, trimmed);
}

GuideOutcome Ask(const std::u16string& url, const Web::FetchLimits& limits) {
  const Web::FetchOutcome fetched = Web::FetchText(url, kPageCharset, limits);
  GuideOutcome outcome{fetched.status == 200, {}, fetched.failure};
  if (fetched.failure.kind == Web::FailureKind::None)
    outcome.page = ReadGuidePage(Web::ToUtf8(PageText(fetched.result)));
  return outcome;
}

// `html` without its tags, its entities read, its spaces joined.
std::string PlainText(std::string_view html) {
  std::string text;
  bool inTag = false;
  for (const char c : html) {
    if (c == '<' || c == '>') {
      inTag = c == '<';
      continue;
    }
    if (!inTag) text += c;
  }
  const std::pair<std::string_view, std::string_view> entities[] = {
      {"&lt;", "<"},  {"&gt;", ">"},   {"&quot;", "\""}, {"&#91;", "["},
      {"&#93;", "]"}, {"&#123;", "{"}, {"&#125;", "}"},  {"&amp;", "&"}};
  for (const auto& [entity, character] : entities)
    for (auto at = text.find(entity); at != text.npos; at = text.find(entity, at + 1))
      text.replace(at, entity.size(), character);
  return text;
}

// The text of each element `tag` in `html`, in order.
std::vector<std::string> Elements(std::string_view html, std::string_view tag) {
  const std::string open = "<" + std::string(tag) + ">", close = "</" + std::string(tag) + ">";
  std::vector<std::string> texts;
  for (auto start = html.find(open); start != html.npos; start = html.find(open, start)) {
    start += open.size();
    const auto end = html.find(close, start);
    if (end == html.npos) break;
    texts.push_back(PlainText(html.substr(start, end - start)));
    start = end;
  }
  return texts;
}

}  // namespace

GuideText ReadGuidePage(std::string_view html) {
  const auto headings = Elements(html, "h1");
  return {headings.empty() ? "" : headings.front(), Elements(html, "li")};
}

GuideOutcome AskForLines(std::u16string_view base, std::u16string_view cityText,
                         const Web::FetchLimits& limits) {
  return Ask(GuideUrl(base, cityText, Lines::kLinesWord, {}), limits);
}

GuideOutcome AskForStop(std::u16string_view base, std::u16string_view cityText,
                        std::u16string_view stop, const Web::FetchLimits& limits) {
  return Ask(GuideUrl(base, cityText, Lines::kStopWord, {stop}), limits);
}

GuideOutcome AskForWays(std::u16string_view base, std::u16string_view cityText,
                        std::u16string_view from, std::u16string_view to,
                        const Web::FetchLimits& limits) {
  return Ask(GuideUrl(base, cityText, Lines::kTransferWord, {from, to}), limits);
}

bool HasLine(VehicleKind kind, std::u16string_view cityText, std::u16string_view lineText,
             std::u16string_view base, const Web::FetchLimits& limits, std::stop_token stop) {
  const Web::FetchOutcome fetched = Web::FetchText(ComposeQueryUrl(kind, cityText, lineText, base),
                                                   kPageCharset, limits, std::move(stop));
  return ExtractStationList(PageText(fetched.result)).found;
}

}  // namespace Query
