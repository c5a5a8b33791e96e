#pragma once

#include <string>
#include <string_view>

namespace Query {

struct StationList {
  bool found = false;
  // Chinese stop names in page order, "—" between them; empty when not found.
  std::u16string stops;

  friend bool operator==(const StationList&, const StationList&) = default;
};

// Cuts the stop list out of a line page: the part before the first "}]}",
// from the "[" of its first "[{name:" on (or all of it without one), with every
// "," turned into "—" and only the double-byte characters kept. A final "—"
// (the one the last record leaves behind) is dropped. Pure; linear time.
StationList ExtractStationList(std::u16string_view pageText);

}  // namespace Query
