#include "gtfs/feed_import.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "gtfs/feed_files.h"
#include "lines/line_address.h"
#include "lines/line_file.h"
#include "query/query_url.h"
#include "web/text_codec.h"

namespace Gtfs {

namespace {

using Import::ImportError;

constexpr std::int32_t kNoTime = -1;

// Ids to numbers, looked up by the text as read, without a copy.
struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    return std::hash<std::string_view>{}(text);
  }
};
using IdIndex = std::unordered_map<std::string, std::uint32_t, TextHash, std::equal_to<>>;

struct Stop {
  std::string name;
  std::string location;  // "longitude|latitude"
  std::string parent;    // the station's id
};

struct Route {
  std::string id;
  std::string designation;
  std::string longName;
  bool trolleybus = false;
};

struct Trip {
  std::uint32_t route;
  std::string direction;  // direction_id as given; empty when the feed has none
  std::uint32_t order;    // in the file
};

struct StopTime {
  std::uint32_t trip;
  std::uint32_t sequence;
  std::uint32_t stop;
  std::int32_t departure;  // seconds past the service day's noon minus 12h; kNoTime
};

struct Frequency {
  std::int32_t start, end, headway;
};

// "H:MM:SS" (hours past 24 allowed) as seconds; a fault otherwise.
std::int32_t Seconds(std::string_view text, const CsvReader& reader) {
  const auto part = [&](std::string_view digits, int most) {
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    // Digits only: from_chars would take a sign.
    if (digits.empty() || digits.front() == '-' || error != std::errc() ||
        end != digits.data() + digits.size() || value > most)
      reader.Fail("\"" + std::string(text) + "\" is no time H:MM:SS");
    return value;
  };
  const auto first = text.find(':'), second = text.rfind(':');
  if (first == text.npos || second == first || second - first != 3 || text.size() - second != 3)
    reader.Fail("\"" + std::string(text) + "\" is no time H:MM:SS");
  return part(text.substr(0, first), 999) * 3600 + part(text.substr(first + 1, 2), 59) * 60 +
         part(text.substr(second + 1), 59);
}

std::string Clock(std::int32_t seconds) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", seconds / 3600, seconds / 60 % 60);
  return text;
}

constexpr std::string_view kChinese[] = {"zh", "zh-Hans", "zh-CN", "zh-Hant", "zh-TW", "zh-HK"};

class Feed {
 public:
  explicit Feed(const std::filesystem::path& path) : files_(path) {
    for (const char* required : {"stops.txt", "routes.txt", "trips.txt", "stop_times.txt"})
      if (!files_.Has(required))
        throw ImportError(path.string() + ": no " + required + ": not a GTFS feed");
    ReadAgencies();
    ReadStops();
    ReadRoutes();
    ReadTrips();
    ReadStopTimes();
    ReadFrequencies();
  }

  std::string source;
  std::vector<Stop> stops;
  IdIndex stopIndex;
  std::vector<Route> routes;
  std::map<std::string, std::size_t> leftOutTypes;  // route_type → routes left out
  std::vector<Trip> trips;
  std::vector<StopTime> stopTimes;  // by trip, then stop_sequence
  std::unordered_map<std::uint32_t, std::vector<Frequency>> frequencies;
  std::size_t unknownReferences = 0;

 private:
  void ReadAgencies() {
    std::vector<std::string> names;
    if (files_.Has("agency.txt")) {
      CsvReader agency = files_.Open("agency.txt");
      const auto name = agency.Column("agency_name");
      while (agency.Next())
        if (!agency.Field(name).empty()) names.emplace_back(agency.Field(name));
    }
    if (files_.Has("feed_info.txt")) {
      CsvReader info = files_.Open("feed_info.txt");
      const auto publisher = info.Column("feed_publisher_name");
      while (info.Next())
        if (const std::string name(info.Field(publisher));
            !name.empty() && std::ranges::find(names, name) == names.end())
          names.push_back(name);
    }
    for (const std::string& name : names) source += (source.empty() ? "" : "、") + name;
  }

  // Chinese translations of stop names, by stop id or by the name translated.
  std::unordered_map<std::string, std::string> Translations() {
    std::unordered_map<std::string, std::pair<std::size_t, std::string>> best;
    if (!files_.Has("translations.txt")) return {};
    CsvReader reader = files_.Open("translations.txt");
    const auto table = reader.Column("table_name");
    const auto field = reader.Column("field_name");
    const auto language = reader.RequiredColumn("language");
    const auto translation = reader.RequiredColumn("translation");
    const auto record = reader.Column("record_id");
    const auto value = reader.Column("field_value");
    while (reader.Next()) {
      if (reader.Field(table) != "stops" || reader.Field(field) != "stop_name") continue;
      const auto rank = std::ranges::find(kChinese, reader.Field(language)) - std::begin(kChinese);
      if (rank == std::ssize(kChinese)) continue;
      const std::string key = !reader.Field(record).empty()
                                  ? "id:" + std::string(reader.Field(record))
                                  : "name:" + std::string(reader.Field(value));
      const auto [kept, added] = best.try_emplace(key, static_cast<std::size_t>(rank),
                                                  std::string(reader.Field(translation)));
      if (!added && static_cast<std::size_t>(rank) < kept->second.first)
        kept->second = {static_cast<std::size_t>(rank), std::string(reader.Field(translation))};
    }
    std::unordered_map<std::string, std::string> names;
    for (auto& [key, ranked] : best) names.emplace(key, std::move(ranked.second));
    return names;
  }

  void ReadStops() {
    const auto translations = Translations();
    CsvReader reader = files_.Open("stops.txt");
    const auto id = reader.RequiredColumn("stop_id");
    const auto name = reader.Column("stop_name");
    const auto lat = reader.Column("stop_lat");
    const auto lon = reader.Column("stop_lon");
    const auto parent = reader.Column("parent_station");
    while (reader.Next()) {
      std::string stopName(reader.Field(name));
      if (const auto byId = translations.find("id:" + std::string(reader.Field(id)));
          byId != translations.end())
        stopName = byId->second;
      else if (const auto byName = translations.find("name:" + stopName);
               byName != translations.end())
        stopName = byName->second;
      std::string location;
      if (!reader.Field(lat).empty() && !reader.Field(lon).empty())
        location = std::string(reader.Field(lon)) + "|" + std::string(reader.Field(lat));
      stopIndex.emplace(reader.Field(id), static_cast<std::uint32_t>(stops.size()));
      stops.push_back(
          {Lines::WithoutControls(stopName), location, std::string(reader.Field(parent))});
    }
    // A platform without a name takes its station's.
    for (Stop& stop : stops)
      if (stop.name.empty() && !stop.parent.empty())
        if (const auto station = stopIndex.find(stop.parent); station != stopIndex.end())
          stop.name = stops[station->second].name;
  }

  void ReadRoutes() {
    CsvReader reader = files_.Open("routes.txt");
    const auto id = reader.RequiredColumn("route_id");
    const auto type = reader.RequiredColumn("route_type");
    const auto shortName = reader.Column("route_short_name");
    const auto longName = reader.Column("route_long_name");
    while (reader.Next()) {
      const std::string routeType = Lines::WithoutControls(reader.Field(type));
      int number = -1;
      std::from_chars(routeType.data(), routeType.data() + routeType.size(), number);
      const bool bus = number == 3 || (number >= 700 && number <= 716);
      const bool trolleybus = number == 11 || number == 800;
      if (!bus && !trolleybus) {
        ++leftOutTypes[routeType];
        routeIndex_.emplace(reader.Field(id), kLeftOut);
        continue;
      }
      const std::string name(reader.Field(shortName).empty() ? reader.Field(longName)
                                                             : reader.Field(shortName));
      routeIndex_.emplace(reader.Field(id), static_cast<std::uint32_t>(routes.size()));
      routes.push_back({Lines::WithoutControls(reader.Field(id)), Lines::WithoutControls(name),
                        reader.Field(shortName).empty() ? "" : std::string(reader.Field(longName)),
                        trolleybus});
    }
  }

  void ReadTrips() {
    CsvReader reader = files_.Open("trips.txt");
    const auto route = reader.RequiredColumn("route_id");
    const auto id = reader.RequiredColumn("trip_id");
    const auto direction = reader.Column("direction_id");
    while (reader.Next()) {
      const auto found = routeIndex_.find(std::string(reader.Field(route)));
      if (found == routeIndex_.end()) {
        ++unknownReferences;
        continue;
      }
      if (found->second == kLeftOut) {  // its rows are left out with it, not counted
        tripIndex_.emplace(reader.Field(id), kLeftOut);
        continue;
      }
      tripIndex_.emplace(reader.Field(id), static_cast<std::uint32_t>(trips.size()));
      trips.push_back({found->second, Lines::WithoutControls(reader.Field(direction)),
                       static_cast<std::uint32_t>(trips.size())});
    }
  }

  // The big file, in one pass: each row kept as four numbers.
  void ReadStopTimes() {
    CsvReader reader = files_.Open("stop_times.txt");
    const auto trip = reader.RequiredColumn("trip_id");
    const auto stop = reader.RequiredColumn("stop_id");
    const auto sequence = reader.RequiredColumn("stop_sequence");
    const auto departure = reader.Column("departure_time");
    const auto arrival = reader.Column("arrival_time");
    std::string lastTrip;
    auto tripAt = tripIndex_.end();
    while (reader.Next()) {
      // A trip's rows usually come together: its id is looked up once.
      if (tripAt == tripIndex_.end() || reader.Field(trip) != lastTrip) {
        lastTrip.assign(reader.Field(trip));
        tripAt = tripIndex_.find(lastTrip);
      }
      const auto stopAt = stopIndex.find(reader.Field(stop));
      if (tripAt != tripIndex_.end() && tripAt->second == kLeftOut) continue;
      if (tripAt == tripIndex_.end() || stopAt == stopIndex.end()) {
        ++unknownReferences;
        continue;
      }
      std::uint32_t order = 0;
      const std::string_view text = reader.Field(sequence);
      if (std::from_chars(text.data(), text.data() + text.size(), order).ec != std::errc())
        reader.Fail("stop_sequence \"" + std::string(text) + "\" is no number");
      std::string_view time = reader.Field(departure);
      if (time.empty()) time = reader.Field(arrival);
      stopTimes.push_back(
          {tripAt->second, order, stopAt->second, time.empty() ? kNoTime : Seconds(time, reader)});
    }
    const auto byTripAndSequence = [](const StopTime& row) {
      return std::pair(row.trip, row.sequence);
    };
    if (!std::ranges::is_sorted(stopTimes, {}, byTripAndSequence))
      std::ranges::stable_sort(stopTimes, {}, byTripAndSequence);
  }

  void ReadFrequencies() {
    if (!files_.Has("frequencies.txt")) return;
    CsvReader reader = files_.Open("frequencies.txt");
    const auto trip = reader.RequiredColumn("trip_id");
    const auto start = reader.RequiredColumn("start_time");
    const auto end = reader.RequiredColumn("end_time");
    const auto headway = reader.RequiredColumn("headway_secs");
    while (reader.Next()) {
      const auto found = tripIndex_.find(std::string(reader.Field(trip)));
      if (found == tripIndex_.end() || found->second == kLeftOut) {
        unknownReferences += found == tripIndex_.end();
        continue;
      }
      int seconds = 0;
      const std::string_view text = reader.Field(headway);
      if (std::from_chars(text.data(), text.data() + text.size(), seconds).ec != std::errc() ||
          seconds <= 0)
        reader.Fail("headway_secs \"" + std::string(text) + "\" is no number of seconds");
      frequencies[found->second].push_back(
          {Seconds(reader.Field(start), reader), Seconds(reader.Field(end), reader), seconds});
    }
  }

  static constexpr std::uint32_t kLeftOut = std::numeric_limits<std::uint32_t>::max();
  FeedFiles files_;
  IdIndex routeIndex_;
  IdIndex tripIndex_;
};

// One run of stops, and the trips that run it.
struct Pattern {
  std::vector<std::uint32_t> stops;
  std::size_t trips = 0;
  std::uint32_t firstTrip = 0;  // its first trip's place in the file
};

struct StopsHash {
  std::size_t operator()(const std::vector<std::uint32_t>& stops) const {
    return std::hash<std::string_view>{}(std::string_view(
        reinterpret_cast<const char*>(stops.data()), stops.size() * sizeof stops.front()));
  }
};

struct Direction {
  std::uint32_t route;
  std::string key;  // direction_id, or its first and last stops' names
  std::uint32_t firstTrip;
  std::size_t trips = 0;
  std::vector<Pattern> patterns{};
  std::unordered_map<std::vector<std::uint32_t>, std::size_t, StopsHash> patternOf{};
  std::vector<std::uint32_t> tripIds{};
};

// The departures a trip gives at a stop it reaches `offset` seconds after
// its first: its own, or every one its headways give; the first and last.
std::pair<std::int32_t, std::int32_t> Departures(const Feed& feed, std::uint32_t trip,
                                                 std::int32_t departure, std::int32_t start) {
  const auto found = feed.frequencies.find(trip);
  if (found == feed.frequencies.end()) return {departure, departure};
  std::int32_t first = std::numeric_limits<std::int32_t>::max(), last = kNoTime;
  for (const Frequency& frequency : found->second) {
    if (frequency.end <= frequency.start) continue;
    const std::int32_t lastStart = frequency.start + (frequency.end - frequency.start - 1) /
                                                         frequency.headway * frequency.headway;
    first = std::min(first, frequency.start + departure - start);
    last = std::max(last, lastStart + departure - start);
  }
  return last == kNoTime ? std::pair(departure, departure) : std::pair(first, last);
}

}  // namespace

Import::ImportReport ImportFeed(const Import::ImportRequest& request) {
  const std::string pinyin = Import::CityFolderName(request);
  const Feed feed(request.source);
  Import::ImportReport report;

  // Each trip's run of stops and its departures there.
  std::vector<std::pair<std::size_t, std::size_t>> rowsOfTrip(feed.trips.size(), {0, 0});
  for (std::size_t row = 0; row < feed.stopTimes.size();) {
    std::size_t end = row;
    while (end < feed.stopTimes.size() && feed.stopTimes[end].trip == feed.stopTimes[row].trip)
      ++end;
    rowsOfTrip[feed.stopTimes[row].trip] = {row, end};
    row = end;
  }

  // Lines by the file they make: k5 and K5, 5 and 5路 are one address, and
  // so one line whose directions are their routes'.
  const std::u16string city = Web::FromUtf8(pinyin);
  std::map<std::string, std::vector<std::uint32_t>> lineRoutes;
  for (std::uint32_t r = 0; r < feed.routes.size(); ++r) {
    const Route& route = feed.routes[r];
    const auto kind = route.trolleybus ? Lines::VehicleKind::Trolleybus : Lines::VehicleKind::Bus;
    const auto file = Lines::LineFileName(
        Web::ToUtf8(u"/" + Query::LinePath(kind, city, Web::FromUtf8(route.designation))));
    if (!file)
      report.notes.push_back("route " + route.id + ": \"" + route.designation +
                             "\" cannot name a line");
    else
      lineRoutes[file->filename().string()].push_back(r);
  }
  // Directions of each route, by direction_id or by their ends.
  std::vector<Direction> directions;
  std::map<std::pair<std::uint32_t, std::string>, std::size_t> directionOf;
  for (std::uint32_t t = 0; t < feed.trips.size(); ++t) {
    const auto [begin, end] = rowsOfTrip[t];
    if (begin == end) continue;  // a trip without stop times runs nowhere
    const Trip& trip = feed.trips[t];
    const std::string key = !trip.direction.empty()
                                ? trip.direction
                                : feed.stops[feed.stopTimes[begin].stop].name + "\n" +
                                      feed.stops[feed.stopTimes[end - 1].stop].name;
    const auto [at, added] = directionOf.try_emplace({trip.route, key}, directions.size());
    if (added) directions.push_back({trip.route, key, trip.order});
    Direction& direction = directions[at->second];
    ++direction.trips;
    direction.tripIds.push_back(t);
    std::vector<std::uint32_t> stops;
    for (std::size_t row = begin; row < end; ++row) stops.push_back(feed.stopTimes[row].stop);
    const auto [pattern, isNew] = direction.patternOf.try_emplace(stops, direction.patterns.size());
    if (isNew)
      direction.patterns.push_back({std::move(stops), 1, trip.order});
    else
      ++direction.patterns[pattern->second].trips;
  }
  std::vector<std::vector<const Direction*>> directionsOfRoute(feed.routes.size());
  for (const Direction& direction : directions)
    directionsOfRoute[direction.route].push_back(&direction);

  std::vector<Import::LineText> lines;
  for (const auto& [fileName, routeIds] : lineRoutes) {
    const Route& first = feed.routes[routeIds.front()];
    const std::string& designation = first.designation;
    const bool trolleybus = first.trolleybus;
    // The line's directions: direction 0 of its first route first, else the
    // one with most trips; the others in the order of the file.
    std::vector<const Direction*> own;
    for (const std::uint32_t r : routeIds)
      own.insert(own.end(), directionsOfRoute[r].begin(), directionsOfRoute[r].end());
    if (own.empty()) continue;
    std::ranges::sort(own, {}, &Direction::firstTrip);
    const std::uint32_t firstRoute = routeIds.front();
    auto page = std::ranges::find_if(
        own, [firstRoute](const Direction* d) { return d->route == firstRoute && d->key == "0"; });
    if (page == own.end())
      page = std::ranges::max_element(own, [](const Direction* a, const Direction* b) {
        return a->trips < b->trips || (a->trips == b->trips && a->firstTrip > b->firstTrip);
      });
    std::rotate(own.begin(), page, page + 1);

    Lines::LineFile line{first.longName.empty() ? designation : designation + " " + first.longName,
                         {},
                         {},
                         designation};
    line.source = feed.source;
    std::vector<std::string> comments;
    for (const std::uint32_t r : routeIds) comments.push_back("GTFS route " + feed.routes[r].id);
    for (const Direction* direction : own) {
      // The pattern most trips run; ties: the longer, then the first in the file.
      const Pattern& main =
          *std::ranges::max_element(direction->patterns, [](const Pattern& a, const Pattern& b) {
            return std::tuple(a.trips, a.stops.size(), -static_cast<std::int64_t>(a.firstTrip)) <
                   std::tuple(b.trips, b.stops.size(), -static_cast<std::int64_t>(b.firstTrip));
          });
      for (const Pattern& other : direction->patterns)
        if (&other != &main)
          comments.push_back("also runs, " + std::to_string(other.trips) +
                             " trips: " + feed.stops[other.stops.front()].name + " → " +
                             feed.stops[other.stops.back()].name + ", " +
                             std::to_string(other.stops.size()) + " stops");
      // First and last departures at each stop of the pattern, by its place
      // among the visits of that stop (a loop visits one twice).
      std::vector<std::pair<std::int32_t, std::int32_t>> times(
          main.stops.size(), {std::numeric_limits<std::int32_t>::max(), kNoTime});
      std::unordered_map<std::uint32_t, std::vector<std::size_t>> placesOfStop;
      for (std::size_t i = 0; i < main.stops.size(); ++i) placesOfStop[main.stops[i]].push_back(i);
      for (const std::uint32_t t : direction->tripIds) {
        const auto [begin, end] = rowsOfTrip[t];
        const std::int32_t start = feed.stopTimes[begin].departure;
        std::unordered_map<std::uint32_t, std::size_t> seen;
        for (std::size_t row = begin; row < end; ++row) {
          const StopTime& at = feed.stopTimes[row];
          const std::size_t visit = seen[at.stop]++;
          const auto places = placesOfStop.find(at.stop);
          if (at.departure == kNoTime || places == placesOfStop.end() ||
              visit >= places->second.size())
            continue;
          const std::size_t i = places->second[visit];
          const auto [earliest, latest] =
              Departures(feed, t, at.departure, start == kNoTime ? at.departure : start);
          times[i].first = std::min(times[i].first, earliest);
          times[i].second = std::max(times[i].second, latest);
        }
      }
      Lines::LineFile::Stops stops;
      for (std::size_t i = 0; i < main.stops.size(); ++i) {
        const Stop& stop = feed.stops[main.stops[i]];
        stops.push_back({stop.name, stop.location,
                         times[i].second == kNoTime
                             ? ""
                             : Clock(times[i].first) + "-" + Clock(times[i].second)});
      }
      if (direction == own.front())
        line.stops = std::move(stops);
      else
        line.moreDirections.push_back(
            {"GTFS route " + feed.routes[direction->route].id + " direction " + direction->key,
             std::move(stops)});
    }
    std::string text = Lines::LineFileText(line, comments);
    if (text.size() > Lines::kMaxLineFileBytes) {
      report.notes.push_back("route " + first.id + ": line " + designation + " is over " +
                             std::to_string(Lines::kMaxLineFileBytes) + " bytes; left out");
      continue;
    }
    (trolleybus ? report.trolleybusLines : report.busLines) += 1;
    lines.push_back({fileName, std::move(text)});
  }
  std::string leftOut;  // what the refusal of a feed without lines names
  for (const auto& [type, count] : feed.leftOutTypes) {
    report.counts.emplace_back("routes of route_type " + type + ", left out", count);
    leftOut += (leftOut.empty() ? "; left out: " : ", ") + std::to_string(count) +
               " of route_type " + type;
  }
  if (lines.empty()) {
    std::string why = "no bus or trolleybus routes with trips in " + request.source.string();
    why += leftOut;
    for (const std::string& note : report.notes) why += "; " + note;
    throw ImportError(why);
  }
  report.counts.emplace_back("rows that refer to what the feed does not hold, skipped",
                             feed.unknownReferences);
  Import::WriteCity(request, pinyin, lines, report);
  return report;
}

}  // namespace Gtfs
