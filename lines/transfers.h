#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "lines/city_index.h"

namespace Lines {

// A ride on one direction of one line, from one of its stops to a later one.
struct Ride {
  std::uint32_t line;
  std::uint32_t direction;
  std::uint32_t from;  // positions in the direction
  std::uint32_t to;
  std::size_t stops;  // how many stops on: from "to" counted, "from" not
};

// A way from one stop to another: one ride, or two with a change between.
struct Way {
  std::vector<Ride> rides;
  std::size_t Stops() const;
};

// The ways from `from` to `to`: the lines that go from one to the other in
// that direction, fewest stops first, then ways with one change, by fewest
// stops in all (one way per pair of line directions, its best change); at
// most `most`. A loop line (its last stop its first) rides on past its end.
std::vector<Way> FindWays(const CityIndex& city, std::string_view from, std::string_view to,
                          std::size_t most = 20);

// How many stops a ride on `stops` from position `from` to `to` takes, or 0
// when it cannot go that way.
std::size_t RideLength(const std::vector<std::string>& stops, std::size_t from, std::size_t to);

}  // namespace Lines
