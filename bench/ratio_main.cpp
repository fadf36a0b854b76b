#include "bench/ratio_main.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

// Passes everything to the console and keeps, per benchmark, the CPU time per iteration of
// every repetition (or the median aggregate when only aggregates are reported). CPU time,
// because the machines this runs on are shared: time spent waiting for a core is not the
// benchmark's.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : benchmark::ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    benchmark::ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const std::string& name = run.run_name.function_name;
      const double ns = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e9;
      family_.emplace(name, run.family_index);
      if (run.run_type == Run::RT_Iteration) {
        samples_[name].push_back(ns);
      } else if (run.aggregate_name == "median") {
        medians_[name] = ns;
      }
    }
  }

  void printSummary() const {
    // Work name -> (who -> median ns), in the order the benchmarks were first reported.
    // In the order of registration, whatever order the runs came in.
    std::vector<std::pair<std::int64_t, std::string>> order;
    for (const auto& [name, family] : family_) order.emplace_back(family, name);
    std::sort(order.begin(), order.end());
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, double>>>> works;
    for (const auto& [family, name] : order) {
      const std::size_t slash = name.rfind('/');
      if (slash == std::string::npos) continue;
      const std::string work = name.substr(0, slash);
      auto it = std::find_if(works.begin(), works.end(), [&](const auto& w) { return w.first == work; });
      if (it == works.end()) it = works.insert(works.end(), {work, {}});
      it->second.emplace_back(name.substr(slash + 1), median(name));
    }
    std::printf("\nMedian CPU time per iteration; ratio = other's time / Kestrix's (above 1: Kestrix is faster)\n");
    for (const auto& [work, entries] : works) {
      double own = 0;
      for (const auto& [who, ns] : entries) {
        if (who == "kestrix") own = ns;
      }
      std::printf("  %-24s", work.c_str());
      for (const auto& [who, ns] : entries) {
        if (who == "kestrix" || own <= 0) {
          std::printf("  %s %.2f us", who.c_str(), ns / 1e3);
        } else {
          std::printf("  %s %.2f us (x%.2f)", who.c_str(), ns / 1e3, ns / own);
        }
      }
      std::printf("\n");
    }
  }

 private:
  double median(const std::string& name) const {
    if (auto m = medians_.find(name); m != medians_.end()) return m->second;
    auto s = samples_.find(name);
    if (s == samples_.end() || s->second.empty()) return 0;
    std::vector<double> sorted = s->second;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    return n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
  }

  std::map<std::string, std::int64_t> family_;
  std::map<std::string, std::vector<double>> samples_;
  std::map<std::string, double> medians_;
};

}  // namespace

int runBenchmarksOnASharedMachine(int argc, char** argv, int repetitions, benchmark::BenchmarkReporter& reporter) {
  // Many short repetitions in random order, so that every benchmark meets the same swings
  // of load, and medians.
  std::vector<std::string> defaults = {"--benchmark_repetitions=" + std::to_string(repetitions),
                                       "--benchmark_enable_random_interleaving=true", "--benchmark_min_time=0.05",
                                       "--benchmark_report_aggregates_only=true"};
  std::vector<char*> args = {argv[0]};
  for (std::string& flag : defaults) args.push_back(flag.data());
  args.insert(args.end(), argv + 1, argv + argc);
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

int runComparisonBenchmarks(int argc, char** argv) {
  RatioReporter reporter;
  const int code = runBenchmarksOnASharedMachine(argc, argv, 15, reporter);
  if (code == 0) reporter.printSummary();
  return code;
}
