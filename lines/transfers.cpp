#include "lines/transfers.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace Lines {

std::size_t Way::Stops() const {
  std::size_t stops = 0;
  for (const Ride& ride : rides) stops += ride.stops;
  return stops;
}

std::size_t RideLength(const std::vector<std::string>& stops, std::size_t from, std::size_t to) {
  if (from < to) return to - from;
  // On a loop, past the last stop (which is the first) and on from the start.
  const bool loop = stops.size() > 2 && stops.front() == stops.back();
  return loop && to < from ? stops.size() - 1 - from + to : 0;
}

std::vector<Way> FindWays(const CityIndex& city, std::string_view from, std::string_view to,
                          std::size_t most) {
  const auto& lines = city.Lines();
  const auto stopsOf = [&lines](const StopVisit& visit) -> const std::vector<std::string>& {
    return lines[visit.line].directions[visit.direction];
  };
  const auto ride = [&](const StopVisit& on, std::uint32_t to) {
    return Ride{on.line, on.direction, on.position, to, RideLength(stopsOf(on), on.position, to)};
  };
  // Where each line direction reaches the destination.
  std::multimap<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> arrivals;
  for (const StopVisit& visit : city.Visits(to))
    arrivals.emplace(std::pair{visit.line, visit.direction}, visit.position);
  const auto arrivalsOn = [&arrivals](const StopVisit& visit) {
    return arrivals.equal_range({visit.line, visit.direction});
  };

  // The shortest way for each line direction, or pair of them.
  using Key = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t>;
  std::map<Key, Way> direct, changing;
  const auto keep = [](std::map<Key, Way>& ways, const Key& key, Way way) {
    const auto [kept, added] = ways.try_emplace(key, way);
    if (!added && way.Stops() < kept->second.Stops()) kept->second = std::move(way);
  };
  for (const StopVisit& start : city.Visits(from)) {
    for (auto [at, end] = arrivalsOn(start); at != end; ++at)
      if (const Ride first = ride(start, at->second); first.stops > 0)
        keep(direct, {start.line, start.direction, start.line, start.direction}, {{first}});
    const auto& stops = stopsOf(start);
    for (std::uint32_t change = 0; change < stops.size(); ++change) {
      const Ride first = ride(start, change);
      if (first.stops == 0) continue;
      for (const StopVisit& onward : city.Visits(stops[change])) {
        if (onward.line == start.line) continue;
        for (auto [at, end] = arrivalsOn(onward); at != end; ++at)
          if (const Ride second = ride(onward, at->second); second.stops > 0)
            keep(changing, {start.line, start.direction, onward.line, onward.direction},
                 {{first, second}});
      }
    }
  }

  const auto fewestStops = [](const Way& a, const Way& b) { return a.Stops() < b.Stops(); };
  std::vector<Way> ways;
  for (auto* found : {&direct, &changing}) {
    std::vector<Way> group;
    for (auto& [key, way] : *found) group.push_back(std::move(way));
    std::ranges::stable_sort(group, fewestStops);
    for (Way& way : group)
      if (ways.size() < most) ways.push_back(std::move(way));
  }
  return ways;
}

}  // namespace Lines
