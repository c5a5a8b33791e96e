#pragma once

#include "import/city_import.h"

namespace Gtfs {

// Imports a GTFS feed (a .zip or a folder of its .txt files) as the city's
// lines, written as the OpenStreetMap import writes them (Import::WriteCity):
// - routes of route_type 3 or 700–716 are bus lines, 11 or 800 trolleybus
//   lines, others left out and counted by type; a line is named by
//   route_short_name, else route_long_name, and routes of one name and kind
//   are one line;
// - each route's trips are grouped into directions by direction_id (without
//   one, by their first and last stops); a direction's stops are the pattern
//   most of its trips run (ties: the longer, then the first in the file), its
//   other patterns kept as comments; the line's first direction is direction
//   0 of its first route, else the one with most trips;
// - stop names are stop_name, or its Chinese translation (zh, zh-Hans, zh-CN,
//   zh-Hant, zh-TW, zh-HK); a platform without a name takes its station's;
// - each stop of each direction has its first and last departure over the
//   direction's trips that serve it, all service days together, a trip of
//   frequencies.txt with every departure its headway gives; times past 24:00
//   stay so;
// - the agencies (and the feed's publisher) are the lines' source.
// Rows that refer to a trip, route or stop the feed does not hold are
// skipped and counted. Every fault of the feed throws Import::ImportError
// naming the file and line, leaving the data folder as it was.
Import::ImportReport ImportFeed(const Import::ImportRequest& request);

}  // namespace Gtfs
