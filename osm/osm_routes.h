#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace Osm {

// A bus or trolleybus route as an OpenStreetMap extract maps it: a relation
// tagged type=route, route=bus|trolleybus, with a ref of its own or of its
// route master.
struct Route {
  struct Stop {
    std::string name;      // name:zh-Hans, else name:zh, else name
    std::string location;  // "longitude|latitude" for a node; empty for a way
  };
  std::int64_t id = 0;
  bool trolleybus = false;
  std::string ref{};          // the route master's when it has one, else the route's
  std::string name{};         // name:zh-Hans, name:zh or name: the route master's, else the route's
  std::int64_t masterId = 0;  // the route_master relation grouping it; 0: none
  std::vector<Stop> stops{};  // in member order, without stops that have no name
  std::size_t unnamedStops = 0;  // stops in the extract without a name
  std::size_t outsideStops = 0;  // stops by role that the extract does not hold
};

struct Routes {
  std::vector<Route> routes;
  std::vector<std::string> skipped;  // one line per relation left out, saying why
};

// Reads every route of an .osm.pbf, .osm, .osm.bz2 or .osm.gz extract. Its
// stops are the members whose role is stop or platform (or their
// _entry_only / _exit_only forms); a route with no such roles takes its
// member nodes tagged as stops, platforms or bus stations. A stop position and its platform
// of the same name, next to each other, count once. Only route members are
// kept in memory, never the whole extract. `progress` is told the fraction
// read, from 0 to 1, while reading. Throws std::exception, with the reason,
// for a file that cannot be read as OSM data.
Routes ReadRoutes(const std::filesystem::path& extract,
                  const std::function<void(double)>& progress);

}  // namespace Osm
