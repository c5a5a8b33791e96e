#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "front/html.h"
#include "lines/city_index.h"

// The city guide's pages, each with one list of what was asked for, every
// item linked to the pages it names.
namespace Front {

using Lines::CityIndex;
using Lines::CityLine;
using Lines::StopVisit;
using Lines::VehicleKind;

struct CitySummary {
  std::string city;  // pinyin
  std::string name;  // as the user types it
  std::size_t lines = 0;
};

// "/": the cities, each linked to its lines.
Page CitiesPage(const std::vector<CitySummary>& cities);

// 404 for an address of a city there is not: "没有这个城市", with the cities.
Page NoSuchCityPage(const std::vector<CitySummary>& cities, std::string_view path);

// "/{city}/xianlu/": the city's lines, each with its first direction.
Page CityLinesPage(const CityIndex& city);
// The list of that page.
std::string CityLinesList(const CityIndex& city);

// "/{city}/zhandian/{STOP}/": the lines that stop there, each with the
// direction it stops in; for a name that is no stop, 404 with the stops whose
// names contain it.
Page StopPage(const CityIndex& city, std::string_view stop);

// "/{city}/huancheng/{FROM}/{TO}/": the ways from one stop to the other
// (FindWays), each naming where to change; 404 when there are none, with the
// stops whose names contain a name that is no stop.
Page TransferPage(const CityIndex& city, std::string_view from, std::string_view to);

// A stop's name, linked to its page where it has one (HasStopPage).
std::string StopHtml(std::string_view city, std::string_view stop);

// 公交 or 电车, as the window's choice names them.
std::string_view KindName(VehicleKind kind);

}  // namespace Front
