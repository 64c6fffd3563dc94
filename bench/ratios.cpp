#include "ratios.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace bench {
namespace {

struct Row {
  std::string label, numerator, denominator, goal;
};

std::vector<Row>& rows() {
  static std::vector<Row> r;
  return r;
}

// Keeps the fastest real time of every benchmark over its repetitions, in
// seconds per iteration.
class Capture : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
      const double seconds = r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
      std::string name = r.benchmark_name();
      const auto repeats = name.find("/repeats:");
      if (repeats != std::string::npos) name.erase(repeats);
      auto it = best.find(name);
      if (it == best.end() || seconds < it->second) best[name] = seconds;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> best;
};

// A time in the unit that suits it: "12.345ms", "1.234us", "56.7ns".
std::string duration(double seconds) {
  char text[32];
  if (seconds >= 1e-3)
    std::snprintf(text, sizeof text, "%.3fms", seconds * 1e3);
  else if (seconds >= 1e-6)
    std::snprintf(text, sizeof text, "%.3fus", seconds * 1e6);
  else
    std::snprintf(text, sizeof text, "%.1fns", seconds * 1e9);
  return text;
}

bool meets(double ratio, const std::string& goal) {
  if (goal.size() < 4) return true;
  const double bound = std::atof(goal.c_str() + 3);
  return goal.compare(0, 2, "<=") == 0 ? ratio <= bound : ratio >= bound;
}

}  // namespace

bool addRatio(const std::string& label, const std::string& numerator,
              const std::string& denominator, const std::string& goal) {
  rows().push_back({label, numerator, denominator, goal});
  return true;
}

}  // namespace bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::Capture capture;
  benchmark::RunSpecifiedBenchmarks(&capture);
  benchmark::Shutdown();

  bool header = false;
  for (const auto& row : bench::rows()) {
    auto n = capture.best.find(row.numerator), d = capture.best.find(row.denominator);
    if (n == capture.best.end() || d == capture.best.end()) continue;
    if (!header) {
      std::printf("\n%-46s %10s %10s %8s  %s\n", "ratio", "kernel", "baseline", "ratio", "goal");
      header = true;
    }
    const double ratio = row.goal.rfind(">=", 0) == 0 ? d->second / n->second : n->second / d->second;
    std::printf("%-46s %10s %10s %8.3f  %s %s\n", row.label.c_str(), bench::duration(n->second).c_str(),
                bench::duration(d->second).c_str(), ratio, row.goal.c_str(),
                bench::meets(ratio, row.goal) ? "" : "(missed)");
  }
  return 0;
}
