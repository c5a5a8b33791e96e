#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "web/fetch_limits.h"
#include "web/http_request.h"

namespace Inets {

// What a fetch gives back: nothing (no body was obtained), the decoded text,
// or the body bytes when only their decoding failed.
using FetchResult = std::variant<std::monostate, std::u16string, Bytes>;

struct FetchOutcome {
  FetchResult result;
  // Why no body was obtained, in one line ("connection refused", "timed out"…);
  // empty whenever a body came back.
  std::string failure;
};

// One HTTP GET of `url` with "If-Modified-Since: 0", the body decoded in
// `charset`. Any HTTP status counts as a body. Never throws.
FetchOutcome FetchText(std::u16string_view url, std::u16string_view charset,
                       const FetchLimits& limits = {});

// Decodes `bytes` in `charset`; throws when the charset is unknown.
std::u16string BytesToText(const Bytes& bytes, std::u16string_view charset);

}  // namespace Inets
