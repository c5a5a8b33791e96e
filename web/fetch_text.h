#pragma once

#include <stop_token>
#include <string>
#include <string_view>
#include <variant>

#include "web/fetch_failure.h"
#include "web/fetch_limits.h"
#include "web/http_get.h"

namespace Web {

// What a fetch gives back: nothing (no body was obtained), the decoded text,
// or the body bytes when only their decoding failed.
using FetchResult = std::variant<std::monostate, std::u16string, Bytes>;

struct FetchOutcome {
  FetchResult result;
  FetchFailure failure;  // why nothing came back; kind None whenever a body did
  long status = 0;       // the HTTP status that came with the body
};

// One HTTP GET of `url` (see HttpGet), the body decoded in `charset` (see
// BytesToText); `stop` ends it early. Never throws.
FetchOutcome FetchText(std::u16string_view url, std::string_view charset,
                       const FetchLimits& limits = {}, std::stop_token stop = {});
// The same for an address already encoded for the wire (EncodeUrlForWire).
FetchOutcome FetchWireText(const std::string& wireUrl, std::string_view charset,
                           const FetchLimits& limits = {}, std::stop_token stop = {});

}  // namespace Web
