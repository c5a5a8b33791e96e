// The city guide on a generated city of 2,000 lines of 30 stops each over
// 6,000 stops (and a small one): building a city's index against only reading
// its line files, and a transfer page against a line page on the warm site.
// On a dense city (2,000 lines over 300 stops, every stop a hub) and on two
// cities of 3,000 lines through two hubs, a transfer worked out afresh
// against walking the lines through its two ends; a hub's stop page's size.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "front/guide_pages.h"
#include "front/page_cache.h"
#include "lines/city_index.h"
#include "lines/line_address.h"
#include "lines/line_file.h"

namespace {

namespace fs = std::filesystem;

// In memory when the machine has a tmpfs: the disk is not what is measured.
fs::path DataFolder() {
  const fs::path shm = "/dev/shm";
  return (fs::is_directory(shm) ? shm : fs::temp_directory_path()) / "ridelon-bench-guide";
}

std::string StopName(int stop) { return "第" + std::to_string(stop) + "站"; }

// `lines` lines of 30 stops each, there and back, drawn from `stops` stops.
void WriteCity(const std::string& city, int lines, int stops) {
  const fs::path folder = DataFolder() / city;
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::minstd_rand random(7);
  std::uniform_int_distribution<int> stop(1, stops);
  for (int line = 1; line <= lines; ++line) {
    Lines::LineFile file{std::to_string(line) + "路", {}};
    for (int i = 0; i < 30; ++i) file.stops.push_back({StopName(stop(random)), "117.0|36.6"});
    file.moreDirections.push_back({"返程", {file.stops.rbegin(), file.stops.rend()}});
    std::ofstream(folder / (std::to_string(line) + "lu.txt")) << Lines::LineFileText(file, {});
  }
}

// Hub cities of 3,000 lines of 30 stops, there and back, each with stops of
// its own: in "hub" every line passes 甲 and then 乙; in "changehub" half pass
// 甲 and then 丙, the other half 丙 and then 乙, so that every way from 甲 to
// 乙 changes at 丙 and none goes straight.
void WriteHubCity(const std::string& city, bool change) {
  const fs::path folder = DataFolder() / city;
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (int line = 1; line <= 3'000; ++line) {
    const bool second = change && line > 1'500;
    const std::string hubs[] = {second ? "丙" : "甲", !change || second ? "乙" : "丙"};
    Lines::LineFile file{std::to_string(line) + "路", {}};
    for (int i = 0; i < 30; ++i)
      file.stops.push_back({i == 9    ? hubs[0]
                            : i == 19 ? hubs[1]
                                      : StopName(line * 30 + i),
                            std::to_string(117 + line % 100) + "|" + std::to_string(36 + i)});
    file.moreDirections.push_back({"返程", {file.stops.rbegin(), file.stops.rend()}});
    std::ofstream(folder / (std::to_string(line) + "lu.txt")) << Lines::LineFileText(file, {});
  }
}

const bool kWritten = [] {
  WriteCity("big", 2'000, 6'000);
  WriteCity("small", 20, 60);
  WriteCity("dense", 2'000, 300);
  WriteHubCity("hub", false);
  WriteHubCity("changehub", true);
  return true;
}();

void ReadLineFiles(benchmark::State& state, const std::string& city) {
  for (auto _ : state)
    for (const auto& entry : fs::directory_iterator(DataFolder() / city))
      benchmark::DoNotOptimize(Lines::ReadLineFile(entry.path()));
}

void BuildIndex(benchmark::State& state, const std::string& city) {
  for (auto _ : state)
    benchmark::DoNotOptimize(
        Lines::CityIndex::Build(city, DataFolder() / city, DataFolder()).Lines().size());
}

// Pages on a site that has answered them before, as a running site has.
void Answer(benchmark::State& state, const std::vector<std::string>& paths) {
  Front::PageCache site({DataFolder()}, [](std::string_view) {});
  for (const std::string& path : paths) site.Answer(path);
  std::size_t next = 0;
  for (auto _ : state) benchmark::DoNotOptimize(site.Answer(paths[next++ % paths.size()]));
}

std::vector<std::string> LinePaths(const std::string& city) {
  std::vector<std::string> paths;
  for (int line = 1; line <= 100; ++line)
    paths.push_back("/" + city + "/xianlu/" + std::to_string(line) + "lu/");
  return paths;
}

// Between stops of different lines, so that ways change at a shared stop.
std::vector<std::string> TransferPaths(const std::string& city, int stops) {
  std::minstd_rand random(11);
  std::uniform_int_distribution<int> stop(1, stops);
  std::vector<std::string> paths;
  for (int i = 0; i < 100; ++i)
    paths.push_back(Lines::TransferPath(city, StopName(stop(random)), StopName(stop(random))));
  return paths;
}

// A transfer page worked out afresh each time, as on a cold site: for comparison.
void ColdTransferPage(benchmark::State& state, const std::string& city, int stops) {
  const auto index = Lines::CityIndex::Build(city, DataFolder() / city, DataFolder());
  std::minstd_rand random(11);
  std::uniform_int_distribution<int> stop(1, stops);
  for (auto _ : state)
    benchmark::DoNotOptimize(
        Front::TransferPage(index, StopName(stop(random)), StopName(stop(random))));
}

// What a transfer cannot do without: every stop of every direction through
// its two ends, looked up once.
void LinesThroughEnds(benchmark::State& state, const std::string& city, int stops) {
  const auto index = Lines::CityIndex::Build(city, DataFolder() / city, DataFolder());
  std::minstd_rand random(11);
  std::uniform_int_distribution<int> stop(1, stops);
  for (auto _ : state) {
    std::size_t seen = 0;
    for (const std::string& end : {StopName(stop(random)), StopName(stop(random))})
      for (const Lines::StopVisit& visit : index.Visits(end))
        for (const std::string& name : index.Lines()[visit.line].directions[visit.direction])
          seen += index.Visits(name).size();
    benchmark::DoNotOptimize(seen);
  }
}

// The same two, between the hubs 甲 and 乙.
void HubTransferPage(benchmark::State& state, const std::string& city) {
  const auto index = Lines::CityIndex::Build(city, DataFolder() / city, DataFolder());
  for (auto _ : state) benchmark::DoNotOptimize(Front::TransferPage(index, "甲", "乙"));
}

void LinesThroughHubs(benchmark::State& state, const std::string& city) {
  const auto index = Lines::CityIndex::Build(city, DataFolder() / city, DataFolder());
  for (auto _ : state) {
    std::size_t seen = 0;
    for (const std::string end : {"甲", "乙"})
      for (const Lines::StopVisit& visit : index.Visits(end))
        for (const std::string& name : index.Lines()[visit.line].directions[visit.direction])
          seen += index.Visits(name).size();
    benchmark::DoNotOptimize(seen);
  }
}

BENCHMARK_CAPTURE(ReadLineFiles, big, "big")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BuildIndex, big, "big")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadLineFiles, small, "small")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BuildIndex, small, "small")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Answer, LinePage_big, LinePaths("big"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Answer, TransferPage_big, TransferPaths("big", 6'000))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ColdTransferPage, big, "big", 6'000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ColdTransferPage, dense, "dense", 300)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LinesThroughEnds, dense, "dense", 300)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(HubTransferPage, hub, "hub")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LinesThroughHubs, hub, "hub")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(HubTransferPage, changehub, "changehub")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LinesThroughHubs, changehub, "changehub")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Answer, LinePage_small, LinePaths("small"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Answer, TransferPage_small, TransferPaths("small", 60))
    ->Unit(benchmark::kMicrosecond);

// Resident memory, in MiB.
double ResidentMiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// What a site holds for the big city: its index, then every line page, then
// as many stop pages as it keeps.
void PrintMemory() {
  Front::PageCache site({DataFolder()}, [](std::string_view) {});
  const double start = ResidentMiB();
  const auto index = site.City("big");
  const double indexed = ResidentMiB();
  for (int line = 1; line <= 2'000; ++line)
    site.Answer("/big/xianlu/" + std::to_string(line) + "lu/");
  const double lines = ResidentMiB();
  for (const std::string& stop : index->Stops()) site.Answer(Lines::StopPath("big", stop));
  std::printf(
      "memory of the big city: index %.1f MiB, its 2,000 line pages %.1f MiB, "
      "%zu stop pages (at most %zu MiB kept) %.1f MiB\n",
      indexed - start, lines - indexed, index->Stops().size(),
      Front::PageCache::kMaxGuideBytes >> 20, ResidentMiB() - lines);
  // A stop that 3,000 lines pass, there and back.
  std::printf("the stop page of a hub of 3,000 lines: %zu bytes (target < 2 MiB)\n",
              site.Answer(Lines::StopPath("hub", "甲")).html.size());
}

}  // namespace

int main(int argc, char** argv) {
  PrintMemory();
  return Bench::RunAndCompare(argc, argv,
                              {{"BuildIndex/big", "ReadLineFiles/big", 2.0},
                               {"BuildIndex/small", "ReadLineFiles/small", 2.0},
                               {"Answer/TransferPage_big", "Answer/LinePage_big", 5.0},
                               {"ColdTransferPage/big", "Answer/LinePage_big", {}},
                               {"ColdTransferPage/dense", "LinesThroughEnds/dense", 4.0},
                               {"HubTransferPage/hub", "LinesThroughHubs/hub", 4.0},
                               {"HubTransferPage/changehub", "LinesThroughHubs/changehub", 4.0},
                               {"Answer/TransferPage_small", "Answer/LinePage_small", 5.0}});
}
