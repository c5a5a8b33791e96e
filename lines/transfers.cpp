#include "lines/transfers.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string_view>
#include <tuple>
#include <unordered_map>

namespace Lines {

namespace {

// A line direction, as the ways name it.
struct Direction {
  std::uint32_t line;
  std::uint32_t direction;
};

// A ride on from a stop to the destination: where it boards, on which of the
// directions that reach the destination.
struct Onward {
  std::uint32_t direction;  // into the destination's directions
  Ride ride;
};

// Visits of one direction are neighbours in a stop's visits (they are in
// line, direction, position order): each run of them in turn.
template <typename Each>
void ForEachDirection(const std::vector<StopVisit>& visits, Each each) {
  for (std::size_t begin = 0; begin < visits.size();) {
    std::size_t end = begin + 1;
    while (end < visits.size() && visits[end].line == visits[begin].line &&
           visits[end].direction == visits[begin].direction)
      ++end;
    each(std::span(visits).subspan(begin, end - begin));
    begin = end;
  }
}

}  // namespace

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

// Meets in the middle: first every stop from which some direction reaches the
// destination, then, from each direction through the origin, the stops it
// reaches looked up there. The work is that of the lines through the two
// ends, not of every line through every stop between.
std::vector<Way> FindWays(const CityIndex& city, std::string_view from, std::string_view to,
                          std::size_t most) {
  const auto& lines = city.Lines();
  const auto stopsOf = [&lines](Direction d) -> const std::vector<std::string>& {
    return lines[d.line].directions[d.direction];
  };
  const auto ride = [&](Direction d, std::uint32_t from, std::uint32_t to) {
    return Ride{d.line, d.direction, from, to, RideLength(stopsOf(d), from, to)};
  };

  // The best ways so far, by fewest stops, then line directions: at most
  // `most` kept, so that a dense city's many pairs cost no more than a look.
  struct Found {
    std::size_t stops;
    Direction first, second;
    Ride rides[2];
    std::size_t rideCount;
  };
  const auto before = [](const Found& a, const Found& b) {
    return std::tie(a.stops, a.first.line, a.first.direction, a.second.line, a.second.direction) <
           std::tie(b.stops, b.first.line, b.first.direction, b.second.line, b.second.direction);
  };
  std::vector<Found> direct, changing;  // max-heaps by `before`
  const auto offer = [&](std::vector<Found>& kept, const Found& found) {
    if (kept.size() == most && !before(found, kept.front())) return;
    if (kept.size() == most) {
      std::ranges::pop_heap(kept, before);
      kept.pop_back();
    }
    kept.push_back(found);
    std::ranges::push_heap(kept, before);
  };
  const auto result = [&] {
    std::vector<Way> ways;
    for (auto* found : {&direct, &changing}) {
      std::ranges::sort_heap(*found, before);
      for (Found& f : *found)
        if (ways.size() < most) ways.push_back({{f.rides, f.rides + f.rideCount}});
    }
    return ways;
  };

  // The lines that go straight there come first: where they alone fill the
  // answer (hubs that hundreds of lines pass), no change is looked at.
  ForEachDirection(city.Visits(from), [&](std::span<const StopVisit> starts) {
    const Direction d{starts.front().line, starts.front().direction};
    const auto& stops = stopsOf(d);
    std::optional<Ride> straight;
    for (const StopVisit& start : starts)
      for (std::uint32_t at = 0; at < stops.size(); ++at)
        if (stops[at] == to)
          if (const Ride first = ride(d, start.position, at);
              first.stops > 0 && (!straight || first.stops < straight->stops))
            straight = first;
    if (straight) offer(direct, {straight->stops, d, d, {*straight, {}}, 1});
  });
  if (direct.size() == most) return result();

  // Every stop from which a direction through the destination gets there, in
  // the order of direction, boarding and alighting positions.
  std::vector<Direction> arriving;
  std::unordered_map<std::string_view, std::vector<Onward>> reaching;
  ForEachDirection(city.Visits(to), [&](std::span<const StopVisit> arrivals) {
    const Direction d{arrivals.front().line, arrivals.front().direction};
    const auto& stops = stopsOf(d);
    for (std::uint32_t board = 0; board < stops.size(); ++board)
      for (const StopVisit& arrival : arrivals)
        if (const Ride second = ride(d, board, arrival.position); second.stops > 0)
          reaching[stops[board]].push_back({static_cast<std::uint32_t>(arriving.size()), second});
    arriving.push_back(d);
  });

  // Per direction through the destination, the best change from the current
  // direction through the origin.
  struct Change {
    std::size_t stops = 0;
    Ride first, second;
  };
  std::vector<Change> best(arriving.size());
  std::vector<std::uint32_t> reached;
  ForEachDirection(city.Visits(from), [&](std::span<const StopVisit> starts) {
    const Direction d{starts.front().line, starts.front().direction};
    const auto& stops = stopsOf(d);
    for (const StopVisit& start : starts)
      for (std::uint32_t change = 0; change < stops.size(); ++change) {
        const Ride first = ride(d, start.position, change);
        if (first.stops == 0) continue;
        const auto onward = reaching.find(stops[change]);
        if (onward == reaching.end()) continue;
        for (const Onward& next : onward->second) {
          if (next.ride.line == d.line) continue;
          const std::size_t stopsInAll = first.stops + next.ride.stops;
          Change& kept = best[next.direction];
          if (kept.stops == 0) reached.push_back(next.direction);
          if (kept.stops == 0 || stopsInAll < kept.stops) kept = {stopsInAll, first, next.ride};
        }
      }
    for (const std::uint32_t b : reached) {
      const Change& kept = best[b];
      offer(changing, {kept.stops, d, arriving[b], {kept.first, kept.second}, 2});
      best[b] = {};
    }
    reached.clear();
  });

  return result();
}

}  // namespace Lines
