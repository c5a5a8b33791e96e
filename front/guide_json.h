#pragma once

#include <string>
#include <vector>

#include "front/guide_pages.h"
#include "lines/city_index.h"

namespace Front {

// The cities as the search forms offer them:
// [{"city":"beijing","name":"北京"},…].
std::string CitiesJson(const std::vector<CitySummary>& cities);

// What the script needs of a city to find its stops and plan trips as the
// site does: {"city","name","stops":[names, in name order],"lines":[{"ref",
// "kind" (0 bus, 1 trolleybus),"page","dirs":[[stop numbers in order],…]},…]},
// the lines in the index's order.
std::string GuideJson(const Lines::CityIndex& city);

}  // namespace Front
