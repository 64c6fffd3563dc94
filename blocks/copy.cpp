#include "blocks/copy.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "blocks/kernels.h"

namespace blocks {

namespace {

// Outputs from this size on are written with non-temporal stores. Measured on
// a server core (2 MiB L2): at 8 MiB ordinary stores are faster, at 32 MiB the
// two are even or streaming wins, at 64 MiB streaming is 1.6 times faster. On
// AMD Zen 5, for shapes of whole vectors: even at 8 MiB, streaming wins from
// 32 MiB in both directions.
constexpr std::size_t kStreamBytes = std::size_t{32} << 20;

// The running processor's facts, read once per process (cpuid traps under a
// hypervisor). Threads that race on the first call store the same value.
Processor runningProcessor() {
#if TOOLBOX_X86_SIMD
  static std::atomic<int> known{-1};  // maker * 4096 + family
  int f = known.load(std::memory_order_relaxed);
  if (f < 0) {
    unsigned a, b, c, d, eax1 = 0;
    char vendor[12] = {};
    if (__get_cpuid(0, &a, &b, &c, &d)) {
      std::memcpy(vendor, &b, 4);
      std::memcpy(vendor + 4, &d, 4);
      std::memcpy(vendor + 8, &c, 4);
      if (__get_cpuid(1, &a, &b, &c, &d)) eax1 = a;
    }
    const Processor p = processorFrom(vendor, eax1);
    f = static_cast<int>(p.maker) * 4096 + p.family;
    known.store(f, std::memory_order_relaxed);
  }
  return {static_cast<Processor::Maker>(f / 4096), f % 4096};
#else
  return {Processor::Maker::other, 0};
#endif
}

// Copies a run of n consecutive values, converting each to double. Doubles
// move as bit patterns (never through an x87 register, which would quiet a
// signalling NaN).
template <class T>
inline void copyRun(const T* from, double* to, std::ptrdiff_t n) {
  if constexpr (std::is_same_v<T, double>)
    kernels::moveRun(from, to, n);
  else
    for (std::ptrdiff_t i = 0; i < n; ++i) to[i] = static_cast<double>(from[i]);
}

kernels::Shape fullShape(const Grid& g) { return {g.p.N1, g.p.n1, g.p.n2, g.fullRows}; }

// The widest vector of any instruction set, in doubles (AVX-512): runs whole
// for it are whole for every set.
constexpr std::ptrdiff_t kWidestVector = 8;

bool streamed(Stores stores, std::size_t outputValues, const Grid& g) {
  if (stores != Stores::automatic) return stores == Stores::streamed;
  return streamsOutput(runningProcessor(), outputValues * sizeof(double),
                       kernels::wholeVectors(fullShape(g), kWidestVector));
}

// Image entry of the top-left of grid row 0 in main grid column c.
std::ptrdiff_t fullColumnOrigin(const Grid& g, std::int32_t c) {
  return std::ptrdiff_t{g.p.rowSt - 1} + std::ptrdiff_t{g.mainCol(c).origin} * g.p.N1;
}

// Within a block, the filled entries of column b are one run of rows.count
// consecutive elements in X, and their image entries one run in Y.
template <class T>
void cutBlock(const T* Y, double* X, const Grid& g, std::int32_t k, Strip rows, Strip cols) {
  const std::ptrdiff_t N1 = g.p.N1, n1 = g.p.n1;
  const T* from = Y + rows.origin + cols.origin * N1;
  double* to = X + k * std::ptrdiff_t{g.blockLen} + rows.first + cols.first * n1;
  for (std::int32_t b = 0; b < cols.count; ++b) copyRun(from + b * N1, to + b * n1, rows.count);
}

template <class T>
void pasteBlock(const T* X, double* Y, const Grid& g, std::int32_t k, Strip rows, Strip cols) {
  const std::ptrdiff_t N1 = g.p.N1, n1 = g.p.n1;
  const T* from = X + k * std::ptrdiff_t{g.blockLen} + rows.first + cols.first * n1;
  double* to = Y + rows.origin + cols.origin * N1;
  for (std::int32_t b = 0; b < cols.count; ++b) copyRun(from + b * n1, to + b * N1, rows.count);
}

}  // namespace

Processor processorFrom(const char vendor[12], unsigned leaf1Eax) {
  const int base = static_cast<int>((leaf1Eax >> 8) & 0xf);
  const int family = base == 0xf ? base + static_cast<int>((leaf1Eax >> 20) & 0xff) : base;
  Processor::Maker maker = Processor::Maker::other;
  if (std::memcmp(vendor, "GenuineIntel", 12) == 0) maker = Processor::Maker::intel;
  else if (std::memcmp(vendor, "AuthenticAMD", 12) == 0) maker = Processor::Maker::amd;
  else if (std::memcmp(vendor, "HygonGenuine", 12) == 0) maker = Processor::Maker::hygon;
  return {maker, family};
}

// Intel (where the size rule was measured) and every processor not named
// below: stream from kStreamBytes on. AMD from Zen on (family 0x17; Hygon's
// are Zen cores): the same, but only for shapes of whole vectors; other
// shapes go through staging buffers, which lose to ordinary stores there at
// every size measured.
bool streamsOutput(const Processor& cpu, std::size_t bytes, bool wholeVectors) {
  if (bytes < kStreamBytes) return false;
  const bool zen = (cpu.maker == Processor::Maker::amd && cpu.family >= 0x17) ||
                   (cpu.maker == Processor::Maker::hygon && cpu.family >= 0x18);
  return !zen || wholeVectors;
}

namespace {

// The full blocks of each full grid column of the range go to the kernels, the
// band and remainder blocks are copied one by one.
void cutRange(const double* Y, double* X, const Grid& g, cpu::Isa isa, Stores stores,
              std::int32_t c0, std::int32_t c1) {
  const kernels::Set k = cpu::select(isa, [](auto set) { return kernels::entries(set); });
  const bool stream = streamed(stores, std::size_t(g.blockLen) * std::size_t(g.blockCount), g);
  forEachBlockOrRun(
      g, c0, c1, [&](std::int32_t b, Strip rows, Strip cols) { cutBlock(Y, X, g, b, rows, cols); },
      [&](std::int32_t b, std::int32_t c) {
        k.cut(Y + fullColumnOrigin(g, c), X + b * std::ptrdiff_t{g.blockLen}, fullShape(g), stream);
      });
}

// With streaming stores and a top band or a remainder grid row, the image
// columns of each full grid column are written whole, band and remainder rows
// included: a cache line shared by a stream and ordinary stores of another
// block would be read from memory first. The image does not depend on the
// order in which the blocks are written.
void pasteWholeColumns(const double* X, double* Y, const Grid& g, const kernels::Set& k,
                       std::int32_t c0, std::int32_t c1) {
  const std::ptrdiff_t len = g.blockLen;
  for (std::int32_t c = c0; c < c1; ++c) {
    if (c < g.fullCols && g.fullRows > 0) {
      kernels::Shape s = fullShape(g);
      if (g.hasTopBand()) {
        s.head = X + c * len;  // rows 0 .. rowSt - 2 of the top band block
        s.headLen = g.p.rowSt - 1;
      }
      if (g.remRows > 0) {
        s.tail = X + g.mainBlock(g.fullRows, c) * len + (g.p.n1 - g.remRows);
        s.tailLen = g.remRows;
      }
      k.paste(X + g.mainBlock(0, c) * len, Y + fullColumnOrigin(g, c), s, true);
      continue;
    }
    if (g.hasTopBand()) pasteBlock(X, Y, g, c, g.topBand(), g.mainCol(c));
    for (std::int32_t r = 0; r < g.mainRows; ++r)
      pasteBlock(X, Y, g, g.mainBlock(r, c), g.mainRow(r), g.mainCol(c));
  }
  if (g.hasLeftBand() && c0 == 0)
    for (std::int32_t r = 0; r < g.mainRows; ++r) pasteBlock(X, Y, g, r, g.mainRow(r), g.leftBand());
}

void pasteRange(const double* X, double* Y, const Grid& g, cpu::Isa isa, Stores stores,
                std::int32_t c0, std::int32_t c1) {
  const kernels::Set k = cpu::select(isa, [](auto set) { return kernels::entries(set); });
  const bool stream = streamed(stores, std::size_t(g.p.N1) * std::size_t(g.p.N2), g);
  if (stream && (g.hasTopBand() || g.remRows > 0)) return pasteWholeColumns(X, Y, g, k, c0, c1);
  forEachBlockOrRun(
      g, c0, c1, [&](std::int32_t b, Strip rows, Strip cols) { pasteBlock(X, Y, g, b, rows, cols); },
      [&](std::int32_t b, std::int32_t c) {
        k.paste(X + b * std::ptrdiff_t{g.blockLen}, Y + fullColumnOrigin(g, c), fullShape(g), stream);
      });
}

}  // namespace

template <class T>
void imgToBlocks(const T* Y, double* X, const Grid& g, std::int32_t c0, std::int32_t c1) {
  if constexpr (std::is_same_v<T, double>)
    cutRange(Y, X, g, cpu::bestIsa(), Stores::automatic, c0, c1);
  else
    forEachBlock(g, c0, c1, [&](std::int32_t k, Strip rows, Strip cols) { cutBlock(Y, X, g, k, rows, cols); });
}

template <class T>
void blocksToImg(const T* X, double* Y, const Grid& g, std::int32_t c0, std::int32_t c1) {
  if constexpr (std::is_same_v<T, double>)
    pasteRange(X, Y, g, cpu::bestIsa(), Stores::automatic, c0, c1);
  else
    forEachBlock(g, c0, c1, [&](std::int32_t k, Strip rows, Strip cols) { pasteBlock(X, Y, g, k, rows, cols); });
}

template <class T>
void imgToBlocks(const T* Y, double* X, const Grid& g) {
  imgToBlocks(Y, X, g, 0, g.mainCols);
}

template <class T>
void blocksToImg(const T* X, double* Y, const Grid& g) {
  blocksToImg(X, Y, g, 0, g.mainCols);
}

void imgToBlocks(const double* Y, double* X, const Grid& g, cpu::Isa isa, Stores stores) {
  cutRange(Y, X, g, isa, stores, 0, g.mainCols);
}

void blocksToImg(const double* X, double* Y, const Grid& g, cpu::Isa isa, Stores stores) {
  pasteRange(X, Y, g, isa, stores, 0, g.mainCols);
}

#define TOOLBOX_BLOCKS_DEFINE(T, tag)                                                    \
  template void imgToBlocks<T>(const T*, double*, const Grid&);                       \
  template void blocksToImg<T>(const T*, double*, const Grid&);                       \
  template void imgToBlocks<T>(const T*, double*, const Grid&, std::int32_t, std::int32_t); \
  template void blocksToImg<T>(const T*, double*, const Grid&, std::int32_t, std::int32_t);
TOOLBOX_FOR_EACH_ELEMENT_TYPE(TOOLBOX_BLOCKS_DEFINE)
#undef TOOLBOX_BLOCKS_DEFINE

}  // namespace blocks
