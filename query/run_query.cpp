#include "query/run_query.h"

#include <type_traits>

#include "query/query_texts.h"
#include "query/station_list.h"

namespace Query {

namespace {

// A window operation that fails costs only its own step.
template <typename Step>
void Attempt(Step&& step) {
  try {
    step();
  } catch (...) {
  }
}

}  // namespace

std::u16string PageText(const Web::FetchResult& result) {
  return std::visit(
      [](const auto& value) -> std::u16string {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::u16string>) {
          return value;
        } else if constexpr (std::is_same_v<T, Web::Bytes>) {
          std::u16string text(value.size() / 2, u'\0');
          for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(value[2 * i] | value[2 * i + 1] << 8);
          return text;
        } else {
          return {};
        }
      },
      result);
}

QueryOutcome RunQuery(QueryWindow& window, const Web::FetchLimits& limits) {
  QueryOutcome outcome;
  Web::FetchOutcome fetched;
  Attempt([&] {
    const std::u16string url = window.QueryUrl();
    window.RunWhileWaiting([&](std::stop_token stop) {
      fetched = Web::FetchText(url, kPageCharset, limits, std::move(stop));
    });
  });
  outcome.failure = fetched.failure;
  outcome.status = fetched.status;

  std::u16string page;
  Attempt([&] { page = PageText(fetched.result); });
  Attempt([&] { window.SetResultsText(page); });

  StationList stations;
  Attempt([&] { stations = ExtractStationList(page); });

  if (!stations.found) {
    Attempt([&] { window.SetResultsText(kNotFoundText); });
    Attempt([&] { window.SetStatusText(kNotFoundStatus); });
    return outcome;
  }
  outcome.found = true;
  outcome.stops = stations.stops;
  Attempt([&] { window.SetResultsText(stations.stops); });
  Attempt([&] { window.SetStatusText(kFoundStatus); });
  Attempt([&] { window.ShowTimedMessage(stations.stops); });
  return outcome;
}

}  // namespace Query
