#include "lines/transfers.h"

#include <algorithm>
#include <optional>
#include <set>
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

// Ways with one change come out best first without pairing every direction
// through the origin with every one through the destination: at each stop
// where one could change, the rides there from the origin and the rides from
// there to the destination, each sorted, are the rows and columns of a table
// sorted both ways, and one heap walks all the tables in order. The work is
// that of the lines through the two ends and of the ways asked for.
std::vector<Way> FindWays(const CityIndex& city, std::string_view from, std::string_view to,
                          std::size_t most) {
  const auto& lines = city.Lines();
  const auto stopsOf = [&lines](Direction d) -> const std::vector<std::string>& {
    return lines[d.line].directions[d.direction];
  };
  const auto ride = [&](Direction d, std::uint32_t from, std::uint32_t to) {
    return Ride{d.line, d.direction, from, to, RideLength(stopsOf(d), from, to)};
  };
  const auto byLength = [](const Ride& r) { return std::tie(r.stops, r.line, r.direction); };

  // The lines that go straight there come first, fewest stops first: where
  // they alone fill the answer (hubs that hundreds of lines pass), no change
  // is looked at.
  std::vector<Ride> direct;
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
    if (straight) direct.push_back(*straight);
  });
  std::ranges::sort(direct, {}, byLength);
  std::vector<Way> ways;
  for (const Ride& straight : direct) {
    if (ways.size() == most) return ways;
    ways.push_back({{straight}});
  }

  // At each stop, the shortest ride of each direction there from the origin
  // (firsts) and from there to the destination (seconds); of two as short,
  // the one boarding first. Firsts only where seconds are: nowhere else can
  // one change.
  struct Legs {
    std::vector<Ride> firsts, seconds;
  };
  std::unordered_map<std::string_view, Legs> legs;
  const auto collect = [&](std::string_view end, bool outward) {
    ForEachDirection(city.Visits(end), [&](std::span<const StopVisit> ends) {
      const Direction d{ends.front().line, ends.front().direction};
      const auto& stops = stopsOf(d);
      std::unordered_map<std::string_view, Ride> shortest;
      for (const StopVisit& visit : ends)
        for (std::uint32_t at = 0; at < stops.size(); ++at) {
          if (outward && !legs.contains(stops[at])) continue;
          const Ride leg = outward ? ride(d, visit.position, at) : ride(d, at, visit.position);
          if (leg.stops == 0) continue;
          const auto [kept, added] = shortest.try_emplace(stops[at], leg);
          if (!added &&
              std::tie(leg.stops, leg.from) < std::tie(kept->second.stops, kept->second.from))
            kept->second = leg;
        }
      for (const auto& [stop, leg] : shortest)
        (outward ? legs[stop].firsts : legs[stop].seconds).push_back(leg);
    });
  };
  collect(to, false);
  collect(from, true);

  // A pair of rides at one stop: row i of its firsts, column j of its seconds.
  struct Pair {
    const Legs* at;
    std::uint32_t i, j;
    const Ride& First() const { return at->firsts[i]; }
    const Ride& Second() const { return at->seconds[j]; }
    auto Key() const {
      const Ride &first = First(), &second = Second();
      return std::tuple(first.stops + second.stops, first.line, first.direction, second.line,
                        second.direction, first.stops, first.from);
    }
  };
  const auto later = [](const Pair& a, const Pair& b) { return a.Key() > b.Key(); };
  std::vector<Pair> heap;
  for (auto& [stop, at] : legs)
    if (!at.firsts.empty() && !at.seconds.empty()) {
      std::ranges::sort(at.firsts, {}, byLength);
      std::ranges::sort(at.seconds, {}, byLength);
      heap.push_back({&at, 0, 0});
    }
  std::ranges::make_heap(heap, later);
  // One way per pair of directions: the first to come out is its best change.
  std::set<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t>> paired;
  while (!heap.empty() && ways.size() < most) {
    std::ranges::pop_heap(heap, later);
    const Pair pair = heap.back();
    heap.pop_back();
    const auto next = [&](std::uint32_t i, std::uint32_t j) {
      heap.push_back({pair.at, i, j});
      std::ranges::push_heap(heap, later);
    };
    if (pair.j + 1 < pair.at->seconds.size()) next(pair.i, pair.j + 1);
    if (pair.j == 0 && pair.i + 1 < pair.at->firsts.size()) next(pair.i + 1, 0);
    const Ride &first = pair.First(), &second = pair.Second();
    if (first.line != second.line &&
        paired.emplace(first.line, first.direction, second.line, second.direction).second)
      ways.push_back({{first, second}});
  }
  return ways;
}

}  // namespace Lines
