#include "query/text_trim.h"

namespace Query {

std::u16string TrimSpaces(std::u16string_view text) {
  constexpr std::u16string_view kSpaces = u" \u3000";
  const auto first = text.find_first_not_of(kSpaces);
  if (first == std::u16string_view::npos) return {};
  const auto last = text.find_last_not_of(kSpaces);
  return std::u16string(text.substr(first, last - first + 1));
}

}  // namespace Query
