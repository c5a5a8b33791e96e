// How the GTFS import grows with a feed: twice the routes, or twice the
// patterns of one route, should cost about twice as much, not four times.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/ratio_reporter.h"
#include "gtfs/feed_import.h"

namespace {

namespace fs = std::filesystem;

// In memory when the machine has a tmpfs: creating the line files on disk is
// not what is measured.
fs::path Folder() {
  const fs::path shm = "/dev/shm";
  return (fs::is_directory(shm) ? shm : fs::temp_directory_path()) / "ridelon-bench-gtfs-growth";
}

// A feed of `routes` bus routes of `trips` trips each, every trip a pattern of
// its own: the route's first stop, then two stops no other trip runs.
fs::path WriteFeed(const std::string& name, int routes, int trips) {
  const fs::path feed = Folder() / name;
  fs::remove_all(feed);
  fs::create_directories(feed);
  std::ofstream stops(feed / "stops.txt"), routeFile(feed / "routes.txt"),
      tripFile(feed / "trips.txt"), times(feed / "stop_times.txt");
  stops << "stop_id,stop_name\n";
  routeFile << "route_id,route_short_name,route_type\n";
  tripFile << "route_id,trip_id,direction_id\n";
  times << "trip_id,departure_time,stop_id,stop_sequence\n";
  int stop = 0;
  for (int route = 0; route < routes; ++route) {
    const int first = stop++;
    stops << first << ",S" << first << "\n";
    routeFile << "R" << route << "," << route << ",3\n";
    for (int trip = 0; trip < trips; ++trip) {
      const std::string id = "T" + std::to_string(route) + "_" + std::to_string(trip);
      tripFile << "R" << route << "," << id << ",0\n";
      times << id << ",06:00:00," << first << ",1\n";
      for (int i = 2; i <= 3; ++i, ++stop) {
        stops << stop << ",S" << stop << "\n";
        times << id << ",06:0" << i << ":00," << stop << "," << i << "\n";
      }
    }
  }
  return feed;
}

void Import(benchmark::State& state, int routes, int trips) {
  const std::string name = std::to_string(routes) + "x" + std::to_string(trips);
  const fs::path feed = WriteFeed(name, routes, trips);
  for (auto _ : state)
    benchmark::DoNotOptimize(Gtfs::ImportFeed(
        {.source = feed, .city = "基准", .pinyin = "jizhun", .dataFolder = Folder() / "out"}));
}

BENCHMARK_CAPTURE(Import, routes20k, 20'000, 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Import, routes40k, 40'000, 1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Import, patterns10k, 1, 10'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Import, patterns20k, 1, 20'000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  const int status =
      Bench::RunAndCompare(argc, argv,
                           {{"Import/routes40k/real_time", "Import/routes20k/real_time", 2.5},
                            {"Import/patterns20k/real_time", "Import/patterns10k/real_time", 2.5}});
  fs::remove_all(Folder());
  return status;
}
