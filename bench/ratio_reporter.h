#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Bench {

// A comparison printed after the runs: how many times slower `measured` was
// than `baseline`, both timed in this same run, against a target if it has one.
struct Ratio {
  std::string measured;
  std::string baseline;
  std::optional<double> target;
};

// Console output as usual, plus each run's CPU time per iteration (wall-clock
// time for benchmarks registered with UseRealTime) kept by name.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;

  // Prints every ratio; false when one misses its target.
  bool PrintRatios(const std::vector<Ratio>& ratios) const;

 private:
  std::map<std::string, double> nanoseconds_;
};

// Runs the registered benchmarks, then prints the ratios. The exit status is
// 1 when a ratio misses its target.
int RunAndCompare(int argc, char** argv, const std::vector<Ratio>& ratios);

}  // namespace Bench
