// imgToBlocks and blocksToImg against memcpy of the same bytes, on images far
// beyond the caches (4096^2, 128 MiB) and inside them (256^2, 512 KiB).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <sys/mman.h>

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

// As a host hands out memory: 16 bytes past a cache line (malloc), and with
// `fresh` an output of untouched pages on every call (as calloc maps them for
// large sizes; the host zeroes it or not, the pages fault either way).
struct HostMemory {
  std::size_t bytes;
  void* map = nullptr;
  explicit HostMemory(std::size_t n) : bytes(n * sizeof(double) + 128) {}
  double* fresh() {
    release();
    map = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return reinterpret_cast<double*>(static_cast<char*>(map) + 64 + 16);
  }
  void release() {
    if (map) munmap(map, bytes);
    map = nullptr;
  }
  ~HostMemory() { release(); }
};

// The kinds of memory the copies are measured in.
enum Memory {
  kAligned,  // warm buffers on a 64-byte line
  kHost,     // warm buffers 16 bytes past a line, as malloc aligns them
  kFresh,    // host alignment, an output of untouched pages on every call
  kZeroed,   // 16 bytes past a page (glibc's large blocks), the output zeroed
             // just before every call as a host creates it: the end of it is
             // still in the caches, dirty, when the copy starts
};

// Input and output buffers of n values for a kind of memory; `prepare` gives
// the output for the next call, outside the timing.
class Buffers {
 public:
  Buffers(std::size_t n, int memory) : n_(n), memory_(memory), in_(buffer(n + 512)), out_(buffer(n + 512)), fresh_(n) {
    const std::size_t shift = memory == kAligned ? 0 : memory == kZeroed ? pageShift(in_.get()) : 2;
    from_ = in_.get() + shift;
    to_ = out_.get() + (memory == kZeroed ? pageShift(out_.get()) : shift);
  }
  const double* from() const { return from_; }
  double* prepare() {
    if (memory_ == kFresh) return fresh_.fresh();
    if (memory_ == kZeroed) std::memset(to_, 0, n_ * sizeof(double));
    return to_;
  }
  double* warm() const { return to_; }

 private:
  // Values from p to 16 bytes past the next 4 KiB boundary.
  static std::size_t pageShift(const double* p) {
    const auto a = reinterpret_cast<std::uintptr_t>(p);
    return (((a + 4095) & ~std::uintptr_t{4095}) + 16 - a) / sizeof(double);
  }
  std::size_t n_;
  int memory_;
  Buffer in_, out_;
  HostMemory fresh_;
  const double* from_;
  double* to_;
};

// Arguments: image side, block side, direction (0: imgToBlocks, 1: blocksToImg),
// stores (a blocks::Stores), memory (a Memory).
void Stores(benchmark::State& state) {
  const blocks::Grid g = grid(state.range(0), state.range(1), 1);
  const bool toImage = state.range(2) != 0;
  const auto stores = static_cast<blocks::Stores>(state.range(3));
  Buffers b(std::size_t(g.p.N1) * g.p.N2, static_cast<int>(state.range(4)));
  const bool prepared = state.range(4) >= kFresh;
  double* to = b.warm();
  for (auto _ : state) {
    if (prepared) {
      state.PauseTiming();
      to = b.prepare();
      state.ResumeTiming();
    }
    if (toImage)
      blocks::blocksToImg(b.from(), to, g, cpu::bestIsa(), stores);
    else
      blocks::imgToBlocks(b.from(), to, g, cpu::bestIsa(), stores);
    benchmark::ClobberMemory();
  }
}

// memcpy of the same bytes into the same kinds of memory (arguments: side,
// memory as above), except that a zeroed output is compared with memcpy into
// the same buffer, warm and not zeroed again: the host's own copy of an array.
void HostMemcpy(benchmark::State& state) {
  const std::size_t n = std::size_t(state.range(0)) * state.range(0);
  Buffers b(n, static_cast<int>(state.range(1)));
  const bool fresh = state.range(1) == kFresh;
  double* to = b.warm();
  for (auto _ : state) {
    if (fresh) {
      state.PauseTiming();
      to = b.prepare();
      state.ResumeTiming();
    }
    std::memcpy(to, b.from(), n * sizeof(double));
    benchmark::ClobberMemory();
  }
}

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
  // Each store mode at 4096^2, in warm aligned memory, in warm memory as a
  // host aligns it, and into a fresh output as a host hands it out, each
  // against memcpy into the same kind of memory.
  const char* memoryName[] = {"aligned", "host", "fresh", "zeroed"};
  const char* storesName[] = {"automatic", "cached", "streamed"};
  for (int memory = kAligned; memory <= kZeroed; ++memory) {
    const std::string base = "HostMemcpy/4096/" + std::to_string(memory);
    benchmark::RegisterBenchmark("HostMemcpy", HostMemcpy)->Args({4096, memory})->Unit(benchmark::kMillisecond);
    for (int block : {2, 8, 16}) {
      for (int dir = 0; dir < 2; ++dir) {
        for (int stores = 0; stores < 3; ++stores) {
          const std::string name = "Stores/4096/" + std::to_string(block) + "/" + std::to_string(dir) + "/" +
                                   std::to_string(stores) + "/" + std::to_string(memory);
          benchmark::RegisterBenchmark("Stores", Stores)
              ->Args({4096, block, dir, stores, memory})
              ->Unit(benchmark::kMillisecond);
          bench::addRatio(std::string(dir ? "blocksToImg" : "imgToBlocks") + " 4096^2, " + std::to_string(block) +
                              "x" + std::to_string(block) + ", " + storesName[stores] + ", " + memoryName[memory] +
                              " / memcpy",
                          name, base, stores == 0 ? (block == 2 ? "<= 1.3" : "<= 1.0") : "(report)");
        }
      }
    }
  }
  // Where streaming starts to pay: 8x8 blocks of 8 MiB and 32 MiB images.
  for (int side : {1024, 2048}) {
    for (int memory = 0; memory < 2; ++memory) {
      const std::string base = "HostMemcpy/" + std::to_string(side) + "/" + std::to_string(memory);
      benchmark::RegisterBenchmark("HostMemcpy", HostMemcpy)->Args({side, memory})->Unit(benchmark::kMillisecond);
      for (int dir = 0; dir < 2; ++dir) {
        for (int stores = 1; stores < 3; ++stores) {
          const std::string name = "Stores/" + std::to_string(side) + "/8/" + std::to_string(dir) + "/" +
                                   std::to_string(stores) + "/" + std::to_string(memory);
          benchmark::RegisterBenchmark("Stores", Stores)->Args({side, 8, dir, stores, memory})->Unit(benchmark::kMillisecond);
          bench::addRatio(std::string(dir ? "blocksToImg " : "imgToBlocks ") + std::to_string(side) + "^2, 8x8, " +
                              storesName[stores] + ", " + memoryName[memory] + " / memcpy",
                          name, base, "(report)");
        }
      }
    }
  }
  return true;
}();

}  // namespace
