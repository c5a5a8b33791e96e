#include "web/fetch_text.h"

#include "web/text_codec.h"
#include "web/wire_url.h"

namespace Web {

FetchOutcome FetchText(std::u16string_view url, std::string_view charset, const FetchLimits& limits,
                       std::stop_token stop) {
  return FetchWireText(EncodeUrlForWire(url), charset, limits, std::move(stop));
}

FetchOutcome FetchWireText(const std::string& wireUrl, std::string_view charset,
                           const FetchLimits& limits, std::stop_token stop) {
  FetchOutcome outcome;
  try {
    GetResult got = HttpGet(wireUrl, limits, std::move(stop));
    if (!got.body) {
      outcome.failure = std::move(got.failure);
      return outcome;
    }
    outcome.status = got.status;
    outcome.result = std::move(*got.body);
    // A body that does not decode stays the result as bytes.
    outcome.result = BytesToText(std::get<Bytes>(outcome.result), charset);
  } catch (const std::exception& error) {
    if (std::holds_alternative<std::monostate>(outcome.result))
      outcome.failure = {FailureKind::Other, error.what()};
  }
  return outcome;
}

}  // namespace Web
