#pragma once

#include <functional>
#include <string_view>

#include "query/query_window.h"
#include "web/inets.h"

namespace Query {

// Performs the fetch for a run. The window passes one that keeps itself
// painted while the request is under way; the default fetches in place.
using Fetcher =
    std::function<Inets::FetchOutcome(std::u16string_view url, std::u16string_view charset)>;

// One query for the window's QueryUrl: fetch the page, show its text, extract
// the stops, then write the outcome: results box, status panel, and, only when
// stops were found, the timed message. A step that fails is skipped; the run
// never throws. Returns the fetch's outcome for callers that want the reason
// a page did not arrive.
Inets::FetchOutcome RunQuery(QueryWindow& window, const Fetcher& fetch);
Inets::FetchOutcome RunQuery(QueryWindow& window);

// The page text a fetch result stands for: the text itself, the empty text for
// nothing, and undecoded bytes read pairwise as little-endian UTF-16 (an odd
// last byte is ignored).
std::u16string PageText(const Inets::FetchResult& result);

}  // namespace Query
