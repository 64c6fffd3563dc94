// imgToBlocks and blocksToImg against memcpy of the same bytes, on images far
// beyond the caches (4096^2, 128 MiB) and inside them (256^2, 512 KiB).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "blocks/copy.h"
#include "ratios.h"

namespace {

struct Freer {
  void operator()(double* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<double[], Freer>;

// 64-byte aligned, every page touched so that no page fault is timed.
Buffer buffer(std::size_t n) {
  const std::size_t bytes = (n * sizeof(double) + 63) / 64 * 64;
  Buffer b(static_cast<double*>(std::aligned_alloc(64, bytes ? bytes : 64)));
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<double>(i % 1000);
  return b;
}

blocks::Grid grid(int side, int block, int rowSt) {
  return blocks::makeGrid({block, block, side, side, rowSt, 1});
}

void Memcpy(benchmark::State& state) {
  const std::size_t n = std::size_t(state.range(0)) * state.range(0);
  Buffer from = buffer(n), to = buffer(n);
  for (auto _ : state) {
    std::memcpy(to.get(), from.get(), n * sizeof(double));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * n * sizeof(double));
}

// Arguments: image side, block side, rowSt, code path (-1: best).
void Cut(benchmark::State& state) {
  const blocks::Grid g = grid(state.range(0), state.range(1), state.range(2));
  Buffer Y = buffer(std::size_t(g.p.N1) * g.p.N2), X = buffer(std::size_t(g.blockLen) * g.blockCount);
  const cpu::Isa isa = state.range(3) < 0 ? cpu::bestIsa() : cpu::Isa(state.range(3));
  if (!cpu::supports(isa)) return state.SkipWithError("not supported here");
  for (auto _ : state) {
    blocks::imgToBlocks(Y.get(), X.get(), g, isa, blocks::Stores::automatic);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * std::int64_t(g.p.N1) * g.p.N2 * 8);
}

void Paste(benchmark::State& state) {
  const blocks::Grid g = grid(state.range(0), state.range(1), state.range(2));
  Buffer Y = buffer(std::size_t(g.p.N1) * g.p.N2), X = buffer(std::size_t(g.blockLen) * g.blockCount);
  const cpu::Isa isa = state.range(3) < 0 ? cpu::bestIsa() : cpu::Isa(state.range(3));
  if (!cpu::supports(isa)) return state.SkipWithError("not supported here");
  for (auto _ : state) {
    blocks::blocksToImg(X.get(), Y.get(), g, isa, blocks::Stores::automatic);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * std::int64_t(g.p.N1) * g.p.N2 * 8);
}

BENCHMARK(Memcpy)->Arg(4096)->Arg(256)->Unit(benchmark::kMillisecond);

struct Case {
  int side, block, rowSt;
  const char* goal;
};
const Case kCases[] = {{4096, 8, 1, "<= 1.0"},  {4096, 16, 1, "<= 1.0"}, {4096, 8, 5, "<= 1.0"},
                       {4096, 16, 9, "<= 1.0"}, {4096, 2, 1, "<= 1.3"},  {256, 8, 1, "<= 1.5"},
                       {256, 2, 1, "<= 2.0"}};

std::string args(const Case& c, int isa) {
  return std::to_string(c.side) + "/" + std::to_string(c.block) + "/" + std::to_string(c.rowSt) +
         "/" + std::to_string(isa);
}

bool registered = [] {
  for (const Case& c : kCases) {
    for (int isa = -1; isa <= 2; ++isa) {
      for (auto [name, fn] : {std::pair{"Cut", Cut}, std::pair{"Paste", Paste}}) {
        benchmark::RegisterBenchmark(name, fn)
            ->Args({c.side, c.block, c.rowSt, isa})
            ->Unit(benchmark::kMillisecond);
      }
    }
    const std::string shape = std::to_string(c.side) + "^2, " + std::to_string(c.block) + "x" +
                              std::to_string(c.block) + (c.rowSt > 1 ? " band" : "");
    const std::string base = "Memcpy/" + std::to_string(c.side);
    bench::addRatio("imgToBlocks " + shape + " / memcpy", "Cut/" + args(c, -1), base, c.goal);
    bench::addRatio("blocksToImg " + shape + " / memcpy", "Paste/" + args(c, -1), base, c.goal);
  }
  return true;
}();

}  // namespace
