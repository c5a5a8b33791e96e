#include "bench/ratio_reporter.h"

#include <cstdio>

namespace Bench {

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) {
    if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
    // Benchmarks whose work runs on other threads ask for wall-clock time.
    const std::string name = run.benchmark_name();
    const bool realTime = name.ends_with("/real_time");
    nanoseconds_[name] = (realTime ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime()) *
                         benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
                         benchmark::GetTimeUnitMultiplier(run.time_unit);
  }
}

bool RatioReporter::PrintRatios(const std::vector<Ratio>& ratios) const {
  bool allMet = true;
  std::printf("\n");
  for (const Ratio& ratio : ratios) {
    const auto measured = nanoseconds_.find(ratio.measured);
    const auto baseline = nanoseconds_.find(ratio.baseline);
    if (measured == nanoseconds_.end() || baseline == nanoseconds_.end()) continue;
    const double times = measured->second / baseline->second;
    std::printf("ratio %-40s %5.2fx  %-32s ", ratio.measured.c_str(), times,
                ("vs " + ratio.baseline).c_str());
    if (!ratio.target) {
      std::printf("(for comparison)\n");
      continue;
    }
    const bool met = times <= *ratio.target;
    allMet = allMet && met;
    std::printf("(target <= %.2fx) %s\n", *ratio.target, met ? "met" : "MISSED");
  }
  return allMet;
}

int RunAndCompare(int argc, char** argv, const std::vector<Ratio>& ratios) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return reporter.PrintRatios(ratios) ? 0 : 1;
}

}  // namespace Bench
