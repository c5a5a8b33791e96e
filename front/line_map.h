#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Front {

// A stop to draw: its name and its location as line files hold it
// ("longitude|latitude"; empty or unreadable: not drawn).
struct MapStop {
  std::string_view name;
  std::string_view location;
};
using MapDirection = std::vector<MapStop>;

// The directions as an inline SVG, scaled to the page, with nothing from
// another host: each direction's stops joined in order in a colour of its
// own, a mark per stop with its name on hover, the two ends of the first
// direction labelled, and `focus` (a stop's name) marked larger. Empty when
// no stop has a location.
std::string LineMap(const std::vector<MapDirection>& directions, std::string_view focus = {});

}  // namespace Front
