// cyclicEnergy against the plain triple loop on the same problems, on every
// code path; and the cost of a small call, in the core and through the test
// host. Items are terms, m*n*np per call.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "energy/energy.h"
#include "ratios.h"
#include "reference/energy_reference.h"

namespace {

struct Problem {
  std::int64_t m, n, np;
  std::vector<double> p, re, im, ell;
  std::vector<float> reF, imF;

  // Positions drawn at random, in that order or sorted (as find(mask) lists
  // a sampling pattern: column by column).
  Problem(std::int64_t m_, std::int64_t n_, std::int64_t np_, bool sorted) : m(m_), n(n_), np(np_) {
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::uniform_int_distribution<std::int64_t> pos(1, m * n);
    for (std::int64_t k = 0; k < np; ++k) p.push_back(static_cast<double>(pos(rng)));
    if (sorted) std::sort(p.begin(), p.end());
    for (std::int64_t e = 0; e < m * n; ++e) {
      re.push_back(u(rng));
      im.push_back(u(rng));
      reF.push_back(static_cast<float>(re.back()));
      imF.push_back(static_cast<float>(im.back()));
    }
    ell.resize(static_cast<std::size_t>(m * n));
  }
};

cpu::Isa isaOf(std::int64_t arg) { return arg < 0 ? cpu::bestIsa() : static_cast<cpu::Isa>(arg); }

// Arguments: m, n, np, sorted positions (0/1), code path (-1: best),
// single-precision fields (0/1).
void Core(benchmark::State& state) {
  Problem q(state.range(0), state.range(1), state.range(2), state.range(3) != 0);
  const cpu::Isa isa = isaOf(state.range(4));
  if (!cpu::supports(isa)) return state.SkipWithError("not supported here");
  const bool single = state.range(5) != 0;
  const auto p = energy::Values::of(q.p.data());
  const auto re = single ? energy::Values::of(q.reF.data()) : energy::Values::of(q.re.data());
  const auto im = single ? energy::Values::of(q.imF.data()) : energy::Values::of(q.im.data());
  for (auto _ : state) {
    energy::cyclicEnergy(p, q.np, re, im, q.m, q.n, q.ell.data(), isa);
    benchmark::DoNotOptimize(q.ell.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * q.m * q.n * q.np);
}

// Arguments: m, n, np, sorted positions (0/1).
void Reference(benchmark::State& state) {
  Problem q(state.range(0), state.range(1), state.range(2), state.range(3) != 0);
  for (auto _ : state) {
    reference::cyclicEnergy(q.p.data(), q.re.data(), q.im.data(), q.m, q.n, q.np, q.ell.data());
    benchmark::DoNotOptimize(q.ell.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * q.m * q.n * q.np);
}

struct Case {
  std::int64_t m, n, np;
  bool sorted;
  const char* goal;
};
// The goal cases, positions sorted and in random order; then awkward shapes:
// a single row, the shortest columns, a single tall column, a large grid with
// few positions, a tiny grid with many.
const Case kCases[] = {
    {64, 64, 2048, true, ">= 40"},    {97, 131, 2048, true, ">= 40"},  {256, 256, 2048, true, ">= 40"},
    {64, 64, 2048, false, ">= 40"},   {97, 131, 2048, false, ">= 40"}, {256, 256, 2048, false, ">= 40"},
    {1, 65536, 64, false, ">= 5"},    {2, 32768, 64, false, ">= 10"},  {65536, 1, 64, false, ">= 10"},
    {1024, 1024, 8, false, ">= 10"},  {4, 4, 100000, false, ">= 40"}};

std::string dims(const Case& c) {
  return std::to_string(c.m) + "/" + std::to_string(c.n) + "/" + std::to_string(c.np) + "/" +
         std::to_string(c.sorted);
}

bool registered = [] {
  for (const Case& c : kCases) {
    for (int isa = -1; isa <= 2; ++isa)
      benchmark::RegisterBenchmark("Core", Core)->Args({c.m, c.n, c.np, c.sorted, isa, 0})->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Reference", Reference)->Args({c.m, c.n, c.np, c.sorted})->Unit(benchmark::kMillisecond);
    // "97x131, 2048 sorted": grid, np and the order of the positions.
    const std::string shape = std::to_string(c.m) + "x" + std::to_string(c.n) + ", " + std::to_string(c.np) +
                              (c.np > 100 && c.np < 5000 ? (c.sorted ? " sorted" : " random") : "");
    bench::addRatio("cyclicEnergy " + shape + " / reference", "Core/" + dims(c) + "/-1/0", "Reference/" + dims(c), c.goal);
  }
  // Single-precision fields, converted as they are read.
  for (const Case& c : {kCases[0], kCases[2], kCases[5]}) {
    benchmark::RegisterBenchmark("Core", Core)->Args({c.m, c.n, c.np, c.sorted, -1, 1})->Unit(benchmark::kMillisecond);
    bench::addRatio("  single-precision fields, " + std::to_string(c.m) + "^2 " + (c.sorted ? "sorted" : "random"),
                    "Core/" + dims(c) + "/-1/1", "Reference/" + dims(c), ">= 10");
  }
  // A small call of the core; bench_calls times the whole plug-in call.
  benchmark::RegisterBenchmark("Core", Core)->Args({4, 4, 16, 0, -1, 0});
  return true;
}();

}  // namespace
