// Importing an extract against the floor of merely reading it with libosmium.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <osmium/builder/attr.hpp>
#include <osmium/handler.hpp>
#include <osmium/io/any_input.hpp>
#include <osmium/io/any_output.hpp>
#include <osmium/thread/pool.hpp>
#include <osmium/visitor.hpp>
#include <random>
#include <string>
#include <thread>
#include <tuple>

#include "bench/ratio_reporter.h"
#include "osm/line_import.h"

namespace {

namespace fs = std::filesystem;
using namespace osmium::builder::attr;

constexpr int kNodes = 200'000;
constexpr int kWays = 20'000;
constexpr int kRoutes = 2'000;
constexpr int kStopsPerRoute = 30;

// A city's worth of OSM data as extracts have it: scattered nodes with their
// metadata, one in ten a named platform; streets of ten nodes; routes of
// platforms and a few streets, two per ref. Written once per process.
const fs::path& Extract() {
  static const fs::path file = [] {
    const fs::path path = fs::temp_directory_path() / "ridelon-bench-city.osm.pbf";
    osmium::memory::Buffer buffer(1 << 24, osmium::memory::Buffer::auto_grow::yes);
    std::minstd_rand random(42);
    const auto around = [&random](double centre) {
      return centre + std::uniform_real_distribution<double>(-0.3, 0.3)(random);
    };
    for (int id = 1; id <= kNodes; ++id) {
      const osmium::Location location(around(116.4), around(39.9));
      const auto meta =
          std::make_tuple(_version(1 + id % 7), _cid(1'000'000 + id / 50), _uid(id % 5000),
                          _user("mapper"), _timestamp(osmium::Timestamp(1'500'000'000 + id * 97)));
      if (id % 10 == 0)
        std::apply(
            [&](auto&&... attributes) {
              osmium::builder::add_node(buffer, _id(id), _location(location), attributes...,
                                        _tag("public_transport", "platform"),
                                        _tag("name", "站" + std::to_string(id)));
            },
            meta);
      else
        std::apply(
            [&](auto&&... attributes) {
              osmium::builder::add_node(buffer, _id(id), _location(location), attributes...);
            },
            meta);
    }
    for (int id = 1; id <= kWays; ++id) {
      std::vector<osmium::object_id_type> nodes;
      for (int n = 0; n < 10; ++n) nodes.push_back(1 + (id * 10 + n) % kNodes);
      osmium::builder::add_way(buffer, _id(id), _version(1), _nodes(nodes),
                               _tag("highway", "residential"),
                               _tag("name", "路" + std::to_string(id)));
    }
    for (int id = 1; id <= kRoutes; ++id) {
      std::vector<member_type> members;
      for (int s = 0; s < kStopsPerRoute; ++s)
        members.emplace_back(osmium::item_type::node, ((id * 97 + s * 13) % (kNodes / 10) + 1) * 10,
                             "platform");
      for (int w = 0; w < 5; ++w)
        members.emplace_back(osmium::item_type::way, 1 + (id * 7 + w) % kWays, "");
      const std::string ref = std::to_string((id + 1) / 2);
      osmium::builder::add_relation(
          buffer, _id(id), _version(1), _members(members), _tag("type", "route"),
          _tag("route", id % 20 == 0 ? "trolleybus" : "bus"), _tag("ref", ref));
    }
    osmium::io::Writer writer(path.string(), osmium::io::overwrite::allow);
    writer(std::move(buffer));
    writer.close();
    return path;
  }();
  return file;
}

// One pass over the extract that only counts the objects it reads; `options`
// go to libosmium's reader as they are.
template <typename... Options>
void CountObjects(const Options&... options) {
  struct Counter : osmium::handler::Handler {
    std::size_t objects = 0;
    void osm_object(const osmium::OSMObject&) { ++objects; }
  } counter;
  osmium::io::Reader reader(Extract().string(), options...);
  osmium::apply(reader, counter);
  reader.close();
  benchmark::DoNotOptimize(counter.objects);
}

void ReadOnly(benchmark::State& state) {
  for (auto _ : state) CountObjects();
}

// The same with as many decoding threads as the import takes (libosmium's
// default pool, above, leaves two cores to the caller): for comparison.
void ReadOnlyOnEveryCore(benchmark::State& state) {
  osmium::thread::Pool decoders(static_cast<int>(std::thread::hardware_concurrency()));
  for (auto _ : state) CountObjects(std::ref(decoders));
}

// The floor of any import that keeps only what routes name: the relations
// first, then the nodes and ways, without metadata.
void TwoPasses(benchmark::State& state) {
  for (auto _ : state) {
    CountObjects(osmium::osm_entity_bits::relation, osmium::io::read_meta::no);
    CountObjects(osmium::osm_entity_bits::node | osmium::osm_entity_bits::way,
                 osmium::io::read_meta::no);
  }
}

// Into memory when the machine has a tmpfs: creating a thousand files on a
// busy disk costs the kernel far more than the import, and would measure the
// disk.
fs::path ImportFolder() {
  const fs::path shm = "/dev/shm";
  return (fs::is_directory(shm) ? shm : fs::temp_directory_path()) / "ridelon-bench-import";
}

void Import(benchmark::State& state) {
  const fs::path out = ImportFolder();
  for (auto _ : state) {
    const auto report = Osm::ImportLines({Extract(), "北京", std::nullopt, out}, [](double) {});
    benchmark::DoNotOptimize(report.busLines);
    state.PauseTiming();  // a first import: nothing earlier to replace
    fs::remove_all(out);
    state.ResumeTiming();
  }
}

BENCHMARK(ReadOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ReadOnlyOnEveryCore)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TwoPasses)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Import)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return Bench::RunAndCompare(argc, argv,
                              {{"Import/real_time", "ReadOnly/real_time", 2.0},
                               {"TwoPasses/real_time", "ReadOnly/real_time", 2.0},
                               {"Import/real_time", "TwoPasses/real_time", 2.0},
                               {"Import/real_time", "ReadOnlyOnEveryCore/real_time", {}}});
}
