// The cyclic energy core, called directly, against the plain triple loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "energy/energy.h"
#include "reference/energy_reference.h"
#include "support.h"

namespace {

using energy::Values;
using support::sameBits;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// The code paths this processor can run.
std::vector<cpu::Isa> supportedIsas() {
  std::vector<cpu::Isa> isas;
  for (cpu::Isa isa : cpu::kIsas)
    if (cpu::supports(isa)) isas.push_back(isa);
  return isas;
}

// The core on typed inputs, on the best path or a chosen one; ell starts out
// as garbage to show that the core clears it.
template <class P, class R, class I>
std::vector<double> core(const std::vector<P>& p, const std::vector<R>& rM, const std::vector<I>& iM,
                         std::int64_t m, std::int64_t n, std::int64_t np, cpu::Isa isa = cpu::bestIsa()) {
  std::vector<double> ell(m > 0 && n > 0 ? static_cast<std::size_t>(m * n) : 0, kNaN);
  energy::cyclicEnergy(Values::of(p.data()), np, Values::of(rM.data()), Values::of(iM.data()), m, n,
                       ell.data(), isa);
  return ell;
}

template <class T>
std::vector<double> asDoubles(const std::vector<T>& v) {
  return std::vector<double>(v.begin(), v.end());
}

// Field values of mixed magnitudes, so that sums depend on the order and the
// grouping of their terms: squares near 1e16 next to ones near 1, tiny values
// whose squares are subnormal, zeros and negative values.
std::vector<double> field(std::size_t count, std::mt19937& rng) {
  const support::Uniform u(-1.0, 1.0);
  std::uniform_int_distribution<int> kind(0, 5);
  std::vector<double> v(count);
  for (double& x : v) {
    switch (kind(rng)) {
      case 0: x = 1e8 * u(rng); break;
      case 1: x = 1.0; break;
      case 2: x = 1e-160 * u(rng); break;
      case 3: x = 0.0; break;
      default: x = u(rng); break;
    }
  }
  return v;
}

// Random positions in 1 .. cells, with repeats, the first and last grid point,
// and fractions that truncate away.
std::vector<double> positions(std::size_t count, std::int64_t cells, std::mt19937& rng) {
  std::uniform_int_distribution<std::int64_t> pos(1, cells);
  const support::Uniform frac(0.0, 1.0);
  std::vector<double> p(count);
  for (std::size_t k = 0; k < count; ++k) {
    p[k] = static_cast<double>(pos(rng));
    if (k % 3 == 1) p[k] += std::min(frac(rng), 0.999);
  }
  if (count > 0) p[0] = 1.0;
  if (count > 2) p[2] = static_cast<double>(cells) + 0.75;
  if (count > 4) p[4] = p[3];
  return p;
}

struct Grid {
  std::int64_t m, n;
};

TEST(EnergyCore, WorkedExample) {
  const std::vector<double> p{1, 4}, rM{1, 2, 3, 4, 5, 6}, iM{0, 1, 0, 1, 0, 1};
  EXPECT_EQ(core(p, rM, iM, 2, 3, 2), (std::vector<double>{38, 30, 14, 18, 42, 46}));
  EXPECT_TRUE(sameBits(reference::cyclicEnergy(p, rM, iM, 2, 3, 2), {38, 30, 14, 18, 42, 46}));
}

// Every code path against the reference, over the ways the core can take:
// tiny grids with every shift tabulated (at most 32 points, np >= m*n), the
// energy map on the stack with padded columns (m >= 8, n*(m + 8) <= 4608) or
// without (m < 8, or too wide to pad; m*n <= 4608), and the fields read in
// place beyond that: short columns with per-lane row wraps, longer ones as two
// runs, columns taller than a block of ell, tiles of registers ending
// mid-vector; on the vector paths columns of m >= 16 rows in tiles of
// registers read from the fields (one tile or several, the last vector
// partial or whole, the row wrap inside a vector or between two).
TEST(EnergyCore, EveryPathMatchesReferenceOnManyGrids) {
  const std::vector<Grid> grids{
      {1, 1},    {1, 2},     {2, 1},    {2, 3},     {4, 4},   {8, 4},     {1, 32},   {32, 1},
      {3, 5},    {8, 8},     {9, 7},    {13, 31},   {16, 4},  {64, 64},   {97, 41},  {128, 3},
      {129, 2},  {211, 15},  {300, 9},  {1, 97},    {97, 1},  {3, 128},   {5, 257},  {7, 700},
      {8, 400},  {16, 280},  {3, 1000}, {7, 600},   {1, 5000}, {2, 9001}, {3, 2000}, {5, 1500},
      {7, 800},  {9, 600},   {15, 400}, {17, 301},  {31, 200}, {100, 200}, {256, 33}, {1, 20000},
      {8193, 2}, {4097, 3},  {2500, 3}};
  std::mt19937 rng(20240604);
  for (const Grid& g : grids) {
    const std::int64_t cells = g.m * g.n;
    const std::vector<double> rM = field(static_cast<std::size_t>(cells), rng);
    const std::vector<double> iM = field(static_cast<std::size_t>(cells), rng);
    // Pattern sizes from none to three times the grid, as far as the
    // reference's m*n*np terms stay affordable.
    const std::int64_t budget = std::max<std::int64_t>(1, 1'500'000 / cells);
    for (std::int64_t np : {std::int64_t{0}, std::int64_t{1}, std::int64_t{2}, std::int64_t{7},
                            cells, 3 * cells}) {
      np = std::min(np, budget);
      const std::vector<double> p = positions(static_cast<std::size_t>(np) + 3, cells, rng);
      const std::vector<double> want = reference::cyclicEnergy(p, rM, iM, g.m, g.n, np);
      for (cpu::Isa isa : supportedIsas())
        EXPECT_TRUE(sameBits(core(p, rM, iM, g.m, g.n, np, isa), want))
            << cpu::name(isa) << ", " << g.m << "x" << g.n << ", np = " << np;
    }
  }
}

// Patterns listed column by column, as find gives them: runs of positions
// within a few columns of each other are summed from a window of energy
// columns, the rest from the fields, in one chunk of positions alternately.
// Grids beyond the stack buffer; a window holds 4608 / (m + 8) columns (one
// for m = 3000, none for m = 5200).
TEST(EnergyCore, EveryPathMatchesReferenceOnSortedPatterns) {
  std::mt19937 rng(99);
  const std::vector<Grid> grids{{100, 60}, {8, 700}, {13, 500}, {600, 12}, {3000, 2}, {5200, 2}};
  for (const Grid& g : grids) {
    const std::int64_t cells = g.m * g.n;
    const std::vector<double> rM = field(static_cast<std::size_t>(cells), rng);
    const std::vector<double> iM = field(static_cast<std::size_t>(cells), rng);
    const std::int64_t np = std::min<std::int64_t>(600, 2'000'000 / cells);
    std::vector<double> p = positions(static_cast<std::size_t>(np), cells, rng);
    std::vector<std::vector<double>> patterns;
    std::sort(p.begin(), p.end());
    patterns.push_back(p);  // sorted throughout
    std::vector<double> mixed = p;
    std::shuffle(mixed.begin() + np / 3, mixed.begin() + np / 2, rng);  // a stretch out of order
    for (std::int64_t k = 2 * np / 3; k < np; k += 7) mixed[k] = mixed[np - 1 - k];  // stray positions
    patterns.push_back(mixed);
    std::vector<double> column(static_cast<std::size_t>(np));  // everything in the last column
    for (double& x : column) x = static_cast<double>(cells - std::uniform_int_distribution<std::int64_t>(0, g.m - 1)(rng));
    patterns.push_back(column);
    for (const std::vector<double>& pattern : patterns) {
      const std::vector<double> want = reference::cyclicEnergy(pattern, rM, iM, g.m, g.n, np);
      for (cpu::Isa isa : supportedIsas())
        EXPECT_TRUE(sameBits(core(pattern, rM, iM, g.m, g.n, np, isa), want))
            << cpu::name(isa) << ", " << g.m << "x" << g.n << ", pattern " << (&pattern - &patterns[0]);
    }
    // Single-precision fields: the window's columns are converted as formed.
    const std::vector<float> rF(rM.begin(), rM.end()), iF(iM.begin(), iM.end());
    EXPECT_TRUE(sameBits(core(p, rF, iF, g.m, g.n, np), reference::cyclicEnergy(p, asDoubles(rF), asDoubles(iF), g.m, g.n, np)))
        << g.m << "x" << g.n << ", single";
  }
}

TEST(EnergyCore, TestDataTellTheOrderOfTermsApart) {
  // Guards the test above: its data give different bits when the terms of an
  // entry are added in another order.
  std::mt19937 rng(7);
  const std::vector<double> rM = field(64, rng), iM = field(64, rng);
  std::vector<double> p = positions(20, 64, rng);
  const std::vector<double> forward = reference::cyclicEnergy(p, rM, iM, 8, 8, 20);
  std::reverse(p.begin(), p.end());
  EXPECT_FALSE(sameBits(forward, reference::cyclicEnergy(p, rM, iM, 8, 8, 20)));
  std::reverse(p.begin(), p.end());
  EXPECT_TRUE(sameBits(forward, core(p, rM, iM, 8, 8, 20)));
}

TEST(EnergyCore, SinglePositions) {
  std::mt19937 rng(3);
  for (const Grid& g : std::vector<Grid>{{1, 9}, {6, 1}, {4, 5}, {7, 3}}) {
    const auto cells = static_cast<std::size_t>(g.m * g.n);
    const std::vector<double> rM = field(cells, rng), iM = field(cells, rng);
    std::vector<double> E(cells);
    for (std::size_t e = 0; e < cells; ++e) E[e] = 0.0 + (rM[e] * rM[e] + iM[e] * iM[e]);

    // Position 1: the energy map itself.
    EXPECT_TRUE(sameBits(core(std::vector<double>{1}, rM, iM, g.m, g.n, 1), E));
    // The last grid point: shift (j, i) reads row j + 1, column i + 1, cyclically.
    const std::vector<double> last = core(std::vector<double>{double(cells)}, rM, iM, g.m, g.n, 1);
    for (std::int64_t i = 0; i < g.n; ++i)
      for (std::int64_t j = 0; j < g.m; ++j)
        EXPECT_EQ(support::bits(last[j + g.m * i]), support::bits(E[(j + 1) % g.m + g.m * ((i + 1) % g.n)]))
            << g.m << "x" << g.n << " (" << j << ", " << i << ")";
  }
}

TEST(EnergyCore, RepeatsPrefixesAndFractions) {
  const std::vector<double> rM{1, 2, 3, 4, 5, 6}, iM{0, 1, 0, 1, 0, 1};
  const std::vector<double> ex{38, 30, 14, 18, 42, 46};
  // Counted as often as it occurs.
  EXPECT_EQ(core(std::vector<double>{1, 4, 4, 1}, rM, iM, 2, 3, 4), (std::vector<double>{76, 60, 28, 36, 84, 92}));
  // Only the first np count.
  EXPECT_EQ(core(std::vector<double>{1, 4, 6, 2}, rM, iM, 2, 3, 2), ex);
  // 1.5 acts as 1, 4.9 as 4.
  EXPECT_EQ(core(std::vector<double>{1.5, 4.9}, rM, iM, 2, 3, 2), ex);
  // None, or a negative count: zeros.
  for (std::int64_t np : {0, -1, -1000})
    EXPECT_EQ(core(std::vector<double>{1, 4}, rM, iM, 2, 3, np), std::vector<double>(6, 0.0)) << np;
  // An empty grid writes nothing.
  EXPECT_TRUE(core(std::vector<double>{1}, rM, iM, 0, 3, 1).empty());
  EXPECT_TRUE(core(std::vector<double>{1}, rM, iM, 2, 0, 1).empty());
}

TEST(EnergyCore, SingleRowIsACyclicConvolution) {
  // m = 1: ell[i] = sum_k E[(i - (p[k] - 1)) mod n].
  const std::vector<double> rM{1, 2, 3, 4, 5}, iM{0, 0, 0, 0, 0};
  const std::vector<double> p{2, 5, 2};
  std::vector<double> want(5, 0.0);
  for (int i = 0; i < 5; ++i)
    for (double pk : p) {
      const int e = ((i - static_cast<int>(pk - 1)) % 5 + 5) % 5;
      want[i] = want[i] + rM[e] * rM[e];
    }
  EXPECT_EQ(core(p, rM, iM, 1, 5, 3), want);
}

TEST(EnergyCore, ElementTypesConvertExactly) {
  // 37x29: the energy map formed on the stack, from several conversion chunks
  // per column; 2x1500 and 75x71: beyond the stack buffer, fields of other
  // types are converted in short runs as they are read. Integer fields include
  // values whose squares need all 53 bits; 64-bit fields one that rounds in
  // conversion.
  for (const Grid& g : std::vector<Grid>{{37, 29}, {2, 1500}, {75, 71}}) {
    const std::int64_t m = g.m, n = g.n, cells = m * n, np = 40;
    std::mt19937 rng(11);
    std::vector<double> pd = positions(np, cells, rng);
    std::vector<std::int32_t> p32;
    std::vector<std::uint16_t> p16;
    std::vector<std::int64_t> p64;
    std::vector<float> pf;
    for (double v : pd) {
      p32.push_back(static_cast<std::int32_t>(v));
      p16.push_back(static_cast<std::uint16_t>(v));
      p64.push_back(static_cast<std::int64_t>(v));
      pf.push_back(static_cast<float>(std::trunc(v)) + 0.5f);
    }
    std::vector<float> f(cells);
    std::vector<std::int16_t> s(cells);
    std::vector<std::uint8_t> b(cells);
    std::vector<std::int64_t> l(cells);
    std::uniform_int_distribution<int> small(-32768, 32767);
    for (std::int64_t e = 0; e < cells; ++e) {
      f[e] = static_cast<float>(small(rng)) / 7.0f;
      s[e] = static_cast<std::int16_t>(small(rng));
      b[e] = static_cast<std::uint8_t>(small(rng) & 0xff);
      l[e] = (std::int64_t{1} << 26) + small(rng);
    }
    l[5] = (std::int64_t{1} << 60) + 1;
    const std::vector<double> d = field(cells, rng);
    auto want = [&](const std::vector<double>& re, const std::vector<double>& im) {
      return reference::cyclicEnergy(pd, re, im, m, n, np);
    };
    const std::vector<double> fs = want(asDoubles(f), asDoubles(s)), db = want(d, asDoubles(b)),
                              bd = want(asDoubles(b), d), ll = want(asDoubles(l), asDoubles(l)),
                              lf = want(asDoubles(l), asDoubles(f));
    for (cpu::Isa isa : supportedIsas()) {
      SCOPED_TRACE(std::string(cpu::name(isa)) + ", " + std::to_string(m) + "x" + std::to_string(n));
      EXPECT_TRUE(sameBits(core(p32, f, s, m, n, np, isa), fs));
      EXPECT_TRUE(sameBits(core(p16, d, b, m, n, np, isa), db));
      EXPECT_TRUE(sameBits(core(p64, b, d, m, n, np, isa), bd));
      EXPECT_TRUE(sameBits(core(pf, l, l, m, n, np, isa), ll));
      EXPECT_TRUE(sameBits(core(pd, l, f, m, n, np, isa), lf));
    }
  }
}

TEST(EnergyCore, PositionsOutsideTheGrid) {
  auto first = [](const std::vector<double>& p, std::int64_t cells) {
    return energy::firstBadPosition(Values::of(p.data()), static_cast<std::int64_t>(p.size()), cells);
  };
  EXPECT_EQ(first({1, 6, 6.999, 1.5}, 6), -1);
  for (double bad : {0.0, 0.999, -0.5, -1.0, 7.0, 7.5, kNaN, kInf, -kInf, 1e300, 2147483649.0})
    EXPECT_EQ(first({1, 2, bad, 0}, 6), 2) << bad;
  EXPECT_EQ(first({0}, 6), 0);
  // Only the first np are looked at.
  const std::vector<double> p{3, kNaN};
  EXPECT_EQ(energy::firstBadPosition(Values::of(p.data()), 1, 6), -1);
  // The largest grid: up to 2^31 - 1, and 2^31 - 1 + 0.5 still inside.
  EXPECT_EQ(first({2147483647.0, 2147483647.5}, 2147483647), -1);
  EXPECT_EQ(first({2147483648.0}, 2147483647), 0);

  const std::vector<std::int32_t> i32{1, 6, -1};
  EXPECT_EQ(energy::firstBadPosition(Values::of(i32.data()), 3, 6), 2);
  const std::vector<std::uint64_t> u64{1, ~std::uint64_t{0}};
  EXPECT_EQ(energy::firstBadPosition(Values::of(u64.data()), 2, 6), 1);
  const std::vector<std::int64_t> i64{std::int64_t{1} << 62};
  EXPECT_EQ(energy::firstBadPosition(Values::of(i64.data()), 1, 2147483647), 0);
  const std::vector<std::uint8_t> u8{1, 0};
  EXPECT_EQ(energy::firstBadPosition(Values::of(u8.data()), 2, 6), 1);
}

}  // namespace
