#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "web/fetch_failure.h"
#include "web/fetch_limits.h"

namespace Web {

using Bytes = std::vector<std::uint8_t>;

struct GetResult {
  std::optional<Bytes> body;  // present exactly when a whole body arrived
  FetchFailure failure;       // why it did not, otherwise kind None
  long status = 0;            // the HTTP status of the body
};

// One HTTP GET of an address already encoded for the wire, with the header
// "If-Modified-Since: 0" and no credentials. Any HTTP status counts as a body.
// Redirects are followed to http and https only; gzip and deflate bodies are
// unpacked. A body cut short, over its cap, or framed in a way that cannot be
// read counts as no body; so does a response whose header and trailer lines
// together pass their cap. Loopback addresses never go through a proxy. A stop
// requested through `stop` ends it within about a second. Never throws.
GetResult HttpGet(const std::string& wireUrl, const FetchLimits& limits, std::stop_token stop);

}  // namespace Web
