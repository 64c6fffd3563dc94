// The cyclic energy core on typical and awkward grid shapes. Items are terms,
// m*n*np per call.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "energy/energy.h"
#include "reference/energy_reference.h"

namespace {

struct Problem {
  std::int64_t m, n, np;
  std::vector<double> p, re, im;
  std::vector<float> reF, imF;
  std::vector<double> ell;

  Problem(std::int64_t m_, std::int64_t n_, std::int64_t np_) : m(m_), n(n_), np(np_) {
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::uniform_int_distribution<std::int64_t> pos(1, m * n);
    for (std::int64_t k = 0; k < np; ++k) p.push_back(static_cast<double>(pos(rng)));
    for (std::int64_t e = 0; e < m * n; ++e) {
      re.push_back(u(rng));
      im.push_back(u(rng));
      reF.push_back(static_cast<float>(re.back()));
      imF.push_back(static_cast<float>(im.back()));
    }
    ell.resize(static_cast<std::size_t>(m * n));
  }
};

void run(benchmark::State& state, bool single) {
  Problem q(state.range(0), state.range(1), state.range(2));
  const auto p = energy::Values::of(q.p.data());
  for (auto _ : state) {
    if (single)
      energy::cyclicEnergy(p, q.np, energy::Values::of(q.reF.data()), energy::Values::of(q.imF.data()),
                           q.m, q.n, q.ell.data());
    else
      energy::cyclicEnergy(p, q.np, energy::Values::of(q.re.data()), energy::Values::of(q.im.data()),
                           q.m, q.n, q.ell.data());
    benchmark::DoNotOptimize(q.ell.data());
  }
  state.SetItemsProcessed(state.iterations() * q.m * q.n * q.np);
}

void BM_Double(benchmark::State& state) { run(state, false); }
void BM_Single(benchmark::State& state) { run(state, true); }

void BM_Reference(benchmark::State& state) {
  Problem q(state.range(0), state.range(1), state.range(2));
  for (auto _ : state) {
    reference::cyclicEnergy(q.p.data(), q.re.data(), q.im.data(), q.m, q.n, q.np, q.ell.data());
    benchmark::DoNotOptimize(q.ell.data());
  }
  state.SetItemsProcessed(state.iterations() * q.m * q.n * q.np);
}

// {m, n, np}: square grids, a single row, two rows (the shortest runs), a
// single tall column, a tiny grid with many positions.
#define ENERGY_SHAPES                                                                 \
  Args({256, 256, 64})->Args({1024, 1024, 8})->Args({64, 64, 1024})->Args({1, 65536, 64}) \
      ->Args({2, 32768, 64})->Args({65536, 1, 64})->Args({4, 4, 100000})

BENCHMARK(BM_Double)->ENERGY_SHAPES;
BENCHMARK(BM_Single)->ENERGY_SHAPES;
BENCHMARK(BM_Reference)->Args({256, 256, 64})->Args({2, 32768, 64});

}  // namespace
