// A Google Benchmark main that, after the usual report, prints a table of
// ratios between benchmarks of the same run: each kernel against its baseline
// (memcpy of the same bytes, or the plain reference).
#ifndef TOOLBOX_BENCH_RATIOS_H
#define TOOLBOX_BENCH_RATIOS_H

#include <string>

namespace bench {

// Registers a row of the ratio table: time(numerator) / time(denominator),
// with the goal it should meet ("<= 1.0", ">= 10"). Names are full benchmark
// names as Google Benchmark prints them.
bool addRatio(const std::string& label, const std::string& numerator,
              const std::string& denominator, const std::string& goal);

}  // namespace bench

#endif
