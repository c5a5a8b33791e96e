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

std::u16string PageText(const Inets::FetchResult& result) {
  return std::visit(
      [](const auto& value) -> std::u16string {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::u16string>) {
          return value;
        } else if constexpr (std::is_same_v<T, Inets::Bytes>) {
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

Inets::FetchOutcome RunQuery(QueryWindow& window, const Fetcher& fetch) {
  Inets::FetchOutcome fetched;
  Attempt([&] { fetched = fetch(window.QueryUrl(), kPageCharset); });

  std::u16string page;
  Attempt([&] { page = PageText(fetched.result); });
  Attempt([&] { window.SetResultsText(page); });

  StationList stations;
  Attempt([&] { stations = ExtractStationList(page); });

  if (!stations.found) {
    Attempt([&] { window.SetResultsText(kNotFoundText); });
    Attempt([&] { window.SetStatusText(kNotFoundStatus); });
    return fetched;
  }
  Attempt([&] { window.SetResultsText(stations.stops); });
  Attempt([&] { window.SetStatusText(kFoundStatus); });
  Attempt([&] { window.ShowTimedMessage(stations.stops); });
  return fetched;
}

Inets::FetchOutcome RunQuery(QueryWindow& window) {
  return RunQuery(window, [](std::u16string_view url, std::u16string_view charset) {
    return Inets::FetchText(url, charset);
  });
}

}  // namespace Query
