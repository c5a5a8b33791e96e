#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "query/query_url.h"
#include "web/fetch_text.h"

// The city guide from what the user typed: which lines a city has, which lines
// stop at a stop, and how to get from one stop to another.
namespace Query {

// The largest guide page read: a city of thousands of lines lists in a few
// hundred kilobytes; more is no guide page, and would only cost memory.
inline constexpr std::uint64_t kMaxGuidePageBytes = 4u << 20;

// Names that make a guide address longer than Lines::kMaxGuidePathBytes.
class AddressTooLong : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A guide page as plain text: its heading and the items of its lists, tags
// gone, entities read, control characters as spaces.
struct GuideText {
  std::string heading;
  std::vector<std::string> items;
};
GuideText ReadGuidePage(std::string_view html);

struct GuideOutcome {
  bool found = false;         // the site had the page (HTTP 200)
  GuideText page;             // what the page says, found or not
  Web::FetchFailure failure;  // why no page arrived; kind None when one did
};

// Asks the route site at `base` for a page of the guide, reading at most
// kMaxGuidePageBytes; the city is trimmed and romanised as for a line, stop
// names are trimmed and each sent as one segment, "/" and dot segments
// encoded as the site's links encode them. Throws AddressTooLong.
GuideOutcome AskForLines(std::u16string_view base, std::u16string_view cityText,
                         const Web::FetchLimits& limits = {});
GuideOutcome AskForStop(std::u16string_view base, std::u16string_view cityText,
                        std::u16string_view stop, const Web::FetchLimits& limits = {});
GuideOutcome AskForWays(std::u16string_view base, std::u16string_view cityText,
                        std::u16string_view from, std::u16string_view to,
                        const Web::FetchLimits& limits = {});

// Whether the site has stops for the line as `kind`: what tells a user who
// chose the other kind where the line is.
bool HasLine(VehicleKind kind, std::u16string_view cityText, std::u16string_view lineText,
             std::u16string_view base, const Web::FetchLimits& limits = {},
             std::stop_token stop = {});

}  // namespace Query
