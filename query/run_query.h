#pragma once

#include <string>

#include "query/query_window.h"
#include "web/fetch_text.h"

namespace Query {

// What one query came to, for callers that act on it.
struct QueryOutcome {
  bool found = false;
  std::u16string stops;       // the list shown; empty when not found
  Web::FetchFailure failure;  // why no page arrived; kind None when one did
  long status = 0;            // the HTTP status of the page that arrived
};

// One query for the window's QueryUrl: fetch the page (through the window's
// RunWhileWaiting), show its text, extract the stops, then write the outcome:
// results box, status panel, and, only when stops were found, the timed
// message. A step that fails is skipped; the run never throws.
using FetchLimits = Web::FetchLimits;

QueryOutcome RunQuery(QueryWindow& window, const FetchLimits& limits = {});

// The page text a fetch result stands for: the text itself, the empty text for
// nothing, and undecoded bytes read pairwise as little-endian UTF-16 (an odd
// last byte is ignored).
std::u16string PageText(const Web::FetchResult& result);

}  // namespace Query
