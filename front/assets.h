#pragma once

#include <optional>
#include <string_view>

#include "front/html.h"

namespace Front {

// The files every page of the site shares, and the search page, at their
// fixed addresses ("/static/ridelon.css", "/static/ridelon.js", "/chaxun/");
// nothing for any other address.
std::optional<Page> Asset(std::string_view path);

// The fixed addresses Asset answers, for the export.
inline constexpr std::string_view kAssetPaths[] = {"/static/ridelon.css", "/static/ridelon.js",
                                                   "/chaxun/"};

// The addresses of the guide's data for the script: the cities, and a city's
// lines and stops.
inline constexpr std::string_view kCitiesDataPath = "/chengshi.json";
inline constexpr std::string_view kCityDataFile = "guide.json";

}  // namespace Front
