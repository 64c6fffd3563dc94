// The Walsh–Hadamard core against the plain step-by-step reference (the same
// transform into preallocated buffers), in the same run: 1 MiB of input in
// columns of 8 … 65536 rows, single long columns against memory passes over
// the same bytes, and the cost of a call on one 8-row column.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include <sys/mman.h>

#include "ratios.h"
#include "reference/walsh_reference.h"
#include "walsh/transform.h"

namespace {

struct Freer {
  void operator()(double* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<double[], Freer>;

// 64-byte aligned, every page touched so that no page fault is timed.
Buffer buffer(std::size_t n, std::uint64_t seed = 0) {
  const std::size_t bytes = (n * sizeof(double) + 63) / 64 * 64;
  Buffer b(static_cast<double*>(std::aligned_alloc(64, bytes ? bytes : 64)));
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (std::size_t i = 0; i < n; ++i) b[i] = unit(rng);
  return b;
}

struct Problem {
  std::int32_t M, N, L;
  Buffer A, W, s0, s1;
  Problem(std::int64_t rows, std::int64_t cols)
      : M(static_cast<std::int32_t>(rows)), N(static_cast<std::int32_t>(cols)), L(walsh::paddedLength(M)),
        A(buffer(std::size_t(M) * N, 1)), W(buffer(std::size_t(L) * N)), s0(buffer(L)), s1(buffer(L)) {}
  std::int64_t elementStages() const { return std::int64_t(L) * N * walsh::stageCount(M); }
};

// Arguments: M, N, code path (-1: best).
void Kernel(benchmark::State& state) {
  Problem p(state.range(0), state.range(1));
  const cpu::Isa isa = state.range(2) < 0 ? cpu::bestIsa() : cpu::Isa(state.range(2));
  if (!cpu::supports(isa)) return state.SkipWithError("not supported here");
  walsh::Scratch s{p.s0.get(), p.s1.get()};
  for (auto _ : state) {
    walsh::transformColumns(p.A.get(), p.M, p.N, p.W.get(), s, isa);
    benchmark::ClobberMemory();
  }
  state.counters["ns/elem-stage"] = benchmark::Counter(
      double(p.elementStages()) * state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Reference(benchmark::State& state) {
  Problem p(state.range(0), state.range(1));
  for (auto _ : state) {
    reference::seqSpectrum(p.A.get(), p.M, p.N, p.W.get(), p.s0.get(), p.s1.get());
    benchmark::ClobberMemory();
  }
  state.counters["ns/elem-stage"] = benchmark::Counter(
      double(p.elementStages()) * state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// As Kernel, in Hadamard (1) or dyadic (2) order. Arguments: M, N, ordering.
void Ordered(benchmark::State& state) {
  Problem p(state.range(0), state.range(1));
  walsh::Scratch s{p.s0.get(), p.s1.get()};
  const auto ordering = static_cast<walsh::Ordering>(state.range(2));
  for (auto _ : state) {
    walsh::orderedColumns(p.A.get(), p.M, p.N, p.W.get(), s, ordering);
    benchmark::ClobberMemory();
  }
}

// As Kernel, but with scratch of fresh, untouched pages on every call, as a
// host's mxCalloc hands out for large sizes (calloc maps new zero pages).
void FreshScratch(benchmark::State& state) {
  Problem p(state.range(0), state.range(1));
  const std::size_t bytes = std::size_t(p.L) * sizeof(double);
  for (auto _ : state) {
    void* m[2];
    for (void*& b : m) b = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    walsh::Scratch s{static_cast<double*>(m[0]), static_cast<double*>(m[1])};
    walsh::transformColumns(p.A.get(), p.M, p.N, p.W.get(), s, cpu::bestIsa());
    benchmark::ClobberMemory();
    for (void* b : m) munmap(b, bytes);
  }
}

// `passes` read + write passes over L doubles, as memcpy: input to output,
// then back and forth between the output and a second buffer.
void Passes(benchmark::State& state) {
  const std::size_t n = std::size_t(state.range(0));
  const int passes = static_cast<int>(state.range(1));
  Buffer A = buffer(n, 1), W = buffer(n), T = buffer(n);
  for (auto _ : state) {
    std::memcpy(W.get(), A.get(), n * sizeof(double));
    for (int p = 1; p < passes; ++p) {
      if (p % 2)
        std::memcpy(T.get(), W.get(), n * sizeof(double));
      else
        std::memcpy(W.get(), T.get(), n * sizeof(double));
    }
    benchmark::ClobberMemory();
  }
}

// 1000 calls on one column of M rows per iteration.
void SmallCalls(benchmark::State& state, bool reference) {
  Problem p(state.range(0), 1);
  walsh::Scratch s{p.s0.get(), p.s1.get()};
  for (auto _ : state) {
    for (int call = 0; call < 1000; ++call) {
      if (reference)
        reference::seqSpectrum(p.A.get(), p.M, 1, p.W.get(), p.s0.get(), p.s1.get());
      else
        walsh::transformColumns(p.A.get(), p.M, 1, p.W.get(), s, cpu::bestIsa());
      benchmark::ClobberMemory();
    }
  }
  state.counters["ns/call"] = benchmark::Counter(1000.0 * state.iterations(),
                                                 benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

std::string args(std::int64_t M, std::int64_t N) { return std::to_string(M) + "/" + std::to_string(N); }

// Passes over memory of the long-column schedule: the first reads the input
// and writes the output column, finishing blocks of L/8 values in cache; the
// last rewrites the column in place. A block above 1 MiB (2^17 doubles)
// leaves the L2 cache and costs one more pass, once per 8-fold split until
// the blocks fit.
int memoryPasses(int k) {
  int passes = 2;
  for (int block = k - 3; block > 17; block -= 3) ++passes;
  return passes;
}

bool registered = [] {
  constexpr std::int64_t kMiB = std::int64_t{1} << 17;  // doubles per MiB
  // 1 MiB of input in columns of L rows.
  struct Case {
    std::int64_t L;
    const char* goal;
  };
  for (const Case& c : {Case{8, ">= 4"}, Case{16, ">= 4"}, Case{256, ">= 10"}, Case{1024, ">= 10"},
                        Case{4096, ">= 10"}, Case{16384, ">= 10"}, Case{65536, ">= 10"}}) {
    const std::int64_t N = kMiB / c.L;
    for (int isa = -1; isa <= 2; ++isa)
      benchmark::RegisterBenchmark("Kernel", Kernel)->Args({c.L, N, isa})->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Reference", Reference)->Args({c.L, N})->Unit(benchmark::kMillisecond);
    bench::addRatio("seqSpectrum L=" + std::to_string(c.L) + " x " + std::to_string(N) + ": speed-up",
                    "Kernel/" + args(c.L, N) + "/-1", "Reference/" + args(c.L, N), c.goal);
  }
  // Long single columns against read + write passes over the same bytes.
  for (int k : {18, 20, 22}) {
    const std::int64_t L = std::int64_t{1} << k;
    const int passes = memoryPasses(k);
    for (int isa = -1; isa <= 2; ++isa)
      benchmark::RegisterBenchmark("Kernel", Kernel)->Args({L, 1, isa})->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Passes", Passes)->Args({L, passes})->Unit(benchmark::kMillisecond);
    bench::addRatio("seqSpectrum L=2^" + std::to_string(k) + " / " + std::to_string(passes) + " memory passes",
                    "Kernel/" + args(L, 1) + "/-1", "Passes/" + args(L, passes), "<= 1.5");
  }
  // The other row orders against the sequency order (timed above): what
  // reordering adds.
  for (std::int64_t L : {8, 256, 4096, 65536, 1 << 18}) {
    const std::int64_t N = std::max<std::int64_t>(1, kMiB / L);
    for (int ordering : {1, 2}) {
      benchmark::RegisterBenchmark("Ordered", Ordered)->Args({L, N, ordering})->Unit(benchmark::kMillisecond);
      bench::addRatio(std::string(ordering == 1 ? "Hadamard" : "dyadic") + " order L=" + std::to_string(L) + " x " +
                          std::to_string(N) + " / sequency",
                      "Ordered/" + args(L, N) + "/" + std::to_string(ordering), "Kernel/" + args(L, N) + "/-1",
                      "(report)");
    }
  }
  // Two long columns with scratch of fresh pages against warm scratch.
  for (int k : {16, 18, 20}) {
    const std::int64_t L = std::int64_t{1} << k;
    benchmark::RegisterBenchmark("FreshScratch", FreshScratch)->Args({L, 2})->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Kernel", Kernel)->Args({L, 2, -1})->Unit(benchmark::kMillisecond);
    bench::addRatio("seqSpectrum L=2^" + std::to_string(k) + " x 2, fresh / warm scratch",
                    "FreshScratch/" + args(L, 2), "Kernel/" + args(L, 2) + "/-1", "<= 1.1");
  }
  benchmark::RegisterBenchmark("Reference", Reference)->Args({std::int64_t{1} << 18, 1})->Unit(benchmark::kMillisecond);
  bench::addRatio("seqSpectrum L=2^18: speed-up", "Kernel/" + args(std::int64_t{1} << 18, 1) + "/-1",
                  "Reference/" + args(std::int64_t{1} << 18, 1), ">= (report)");
  // Small calls: one column of 8 rows, 1000 calls per iteration.
  benchmark::RegisterBenchmark("SmallCalls/kernel", SmallCalls, false)->Arg(8)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("SmallCalls/reference", SmallCalls, true)->Arg(8)->Unit(benchmark::kMicrosecond);
  bench::addRatio("seqSpectrum 8 rows, 1000 calls (ms = us/call)", "SmallCalls/kernel/8",
                  "SmallCalls/reference/8", ">= (report)");
  return true;
}();

}  // namespace
