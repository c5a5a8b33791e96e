#include "query/guide_query.h"

#include <algorithm>

#include "lines/line_address.h"
#include "lines/line_file.h"
#include "query/query_texts.h"
#include "query/run_query.h"
#include "query/station_list.h"
#include "query/text_trim.h"
#include "web/text_codec.h"
#include "web/wire_url.h"

namespace Query {

namespace {

// The base, then the guide's path for the city and the names, trimmed, each
// one segment, as the site's own links encode them. Throws AddressTooLong.
std::string GuideUrl(std::u16string_view base, const std::string& path) {
  if (path.size() > Lines::kMaxGuidePathBytes)
    throw AddressTooLong("the address would be " + std::to_string(path.size()) +
                         " bytes long, over " + std::to_string(Lines::kMaxGuidePathBytes) +
                         ": the names are too long");
  return Web::EncodeUrlForWire(base) + path.substr(1);
}

std::string Trimmed(std::u16string_view text) { return Web::ToUtf8(TrimSpaces(text)); }

std::string City(std::u16string_view cityText) { return Web::ToUtf8(CityPinyin(cityText)); }

GuideOutcome Ask(const std::string& url, const Web::FetchLimits& limits) {
  Web::FetchLimits bounded = limits;
  bounded.maxBodyBytes = std::min(limits.maxBodyBytes, kMaxGuidePageBytes);
  const Web::FetchOutcome fetched = Web::FetchWireText(url, kPageCharset, bounded);
  GuideOutcome outcome{fetched.status == 200, {}, fetched.failure};
  if (fetched.failure.kind == Web::FailureKind::None)
    outcome.page = ReadGuidePage(Web::ToUtf8(PageText(fetched.result)));
  return outcome;
}

// `html` without its tags, its entities read and its control characters as
// spaces, in one pass: nothing a page holds reaches a terminal as a command.
std::string PlainText(std::string_view html) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&lt;", '<'},  {"&gt;", '>'},   {"&quot;", '"'}, {"&#91;", '['},
      {"&#93;", ']'}, {"&#123;", '{'}, {"&#125;", '}'}, {"&amp;", '&'}};
  std::string text;
  bool inTag = false;
  for (std::size_t i = 0; i < html.size(); ++i) {
    const char c = html[i];
    if (c == '<' || c == '>') {
      inTag = c == '<';
      continue;
    }
    if (inTag) continue;
    const auto* entity =
        c != '&' ? std::end(kEntities) : std::ranges::find_if(kEntities, [&](const auto& known) {
          return html.substr(i).starts_with(known.first);
        });
    if (entity == std::end(kEntities)) {
      text += c;
    } else {
      text += entity->second;
      i += entity->first.size() - 1;
    }
  }
  return Lines::WithoutControls(text);
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
  return Ask(GuideUrl(base, Lines::CityLinesPath(City(cityText))), limits);
}

GuideOutcome AskForStop(std::u16string_view base, std::u16string_view cityText,
                        std::u16string_view stop, const Web::FetchLimits& limits) {
  return Ask(GuideUrl(base, Lines::StopPath(City(cityText), Trimmed(stop))), limits);
}

GuideOutcome AskForWays(std::u16string_view base, std::u16string_view cityText,
                        std::u16string_view from, std::u16string_view to,
                        const Web::FetchLimits& limits) {
  return Ask(GuideUrl(base, Lines::TransferPath(City(cityText), Trimmed(from), Trimmed(to))),
             limits);
}

bool HasLine(VehicleKind kind, std::u16string_view cityText, std::u16string_view lineText,
             std::u16string_view base, const Web::FetchLimits& limits, std::stop_token stop) {
  const Web::FetchOutcome fetched = Web::FetchText(ComposeQueryUrl(kind, cityText, lineText, base),
                                                   kPageCharset, limits, std::move(stop));
  return ExtractStationList(PageText(fetched.result)).found;
}

}  // namespace Query
