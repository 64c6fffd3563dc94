// The grid and the two copy cores, called directly, against the entry-by-entry
// reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <limits>
#include <random>
#include <set>
#include <vector>

#include "blocks/copy.h"
#include "blocks/grid.h"
#include "reference/blocks_reference.h"
#include "support.h"

namespace {

using blocks::GridError;
using blocks::GridParams;
using support::sameBits;

reference::GridInput asInput(const GridParams& p) {
  return {p.n1, p.n2, p.N1, p.N2, p.rowSt, p.colSt};
}

std::vector<double> cut(const std::vector<double>& Y, const GridParams& p) {
  const blocks::Grid g = blocks::makeGrid(p);
  std::vector<double> X(static_cast<std::size_t>(g.blockLen) * g.blockCount, 0.0);
  blocks::imgToBlocks(Y.data(), X.data(), g);
  return X;
}

std::vector<double> paste(const std::vector<double>& X, const GridParams& p) {
  std::vector<double> Y(static_cast<std::size_t>(p.N1) * p.N2, 0.0);
  blocks::blocksToImg(X.data(), Y.data(), blocks::makeGrid(p));
  return Y;
}

// Values that tell every image entry apart: entry k holds k + 1.
std::vector<double> numbered(std::size_t n) {
  std::vector<double> v(n);
  for (std::size_t k = 0; k < n; ++k) v[k] = static_cast<double>(k + 1);
  return v;
}

// Random valid parameters: no band, a top band or a left band, block sides 2
// to 9, images from empty to a few blocks, remainders or not.
GridParams randomParams(std::mt19937& rng) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  GridParams p{};
  p.n1 = pick(2, 9);
  p.n2 = pick(2, 9);
  p.rowSt = p.colSt = 1;
  switch (pick(0, 2)) {
    case 1: p.rowSt = pick(2, p.n1 - 1 > 2 ? p.n1 - 1 : 2); break;
    case 2: p.colSt = pick(2, p.n2 - 1 > 2 ? p.n2 - 1 : 2); break;
  }
  if (p.rowSt >= p.n1) p.rowSt = 1;
  if (p.colSt >= p.n2) p.colSt = 1;
  p.N1 = p.rowSt - 1 + pick(0, 4 * p.n1);
  p.N2 = p.colSt - 1 + pick(0, 4 * p.n2);
  return p;
}

TEST(BlockGrid, StartPointRule) {
  auto check = [](int n1, int n2, int rowSt, int colSt) {
    return blocks::checkGrid(GridParams{n1, n2, 10, 10, rowSt, colSt});
  };
  EXPECT_EQ(check(3, 2, 3, 1), GridError::startPoint);  // rowSt = n1
  EXPECT_EQ(check(3, 2, 2, 1), GridError::none);
  EXPECT_EQ(check(3, 3, 2, 2), GridError::startPoint);  // both bands
  EXPECT_EQ(check(3, 3, 2, 1), GridError::none);
  EXPECT_EQ(check(3, 3, 1, 2), GridError::none);
  EXPECT_EQ(check(3, 3, 1, 3), GridError::startPoint);  // colSt = n2
  for (int s = -1; s <= 3; ++s) {
    EXPECT_EQ(check(1, 5, s, 1), GridError::startPoint) << "n1 = 1, rowSt = " << s;
    EXPECT_EQ(check(5, 1, 1, s), GridError::startPoint) << "n2 = 1, colSt = " << s;
  }
  EXPECT_EQ(check(3, 3, 0, 1), GridError::startPoint);  // below 1
  EXPECT_EQ(check(3, 3, 1, -5), GridError::startPoint);
  EXPECT_EQ(check(-4, 3, 1, 1), GridError::startPoint);  // no block size below 2 passes
}

TEST(BlockGrid, LimitsOutsideTheStartPointRule) {
  EXPECT_EQ(blocks::checkGrid({3, 3, -1, 5, 1, 1}), GridError::negativeSize);
  EXPECT_EQ(blocks::checkGrid({3, 3, 5, -1, 1, 1}), GridError::negativeSize);
  EXPECT_EQ(blocks::checkGrid({3, 3, 0, 5, 2, 1}), GridError::imageTooSmall);  // band of 1 row
  EXPECT_EQ(blocks::checkGrid({3, 3, 1, 5, 2, 1}), GridError::none);           // band fills image
  EXPECT_EQ(blocks::checkGrid({3, 4, 5, 2, 1, 3}), GridError::none);
  EXPECT_EQ(blocks::checkGrid({3, 4, 5, 1, 1, 3}), GridError::imageTooSmall);
  EXPECT_EQ(blocks::checkGrid({8, 8, 46341, 46341, 1, 1}), GridError::tooLarge);  // N1*N2 > 2^31
  EXPECT_EQ(blocks::checkGrid({8, 8, 46336, 46336, 1, 1}), GridError::none);
  // Remainder blocks are padded to full size: 46340 = 5792*8 + 4 rows make
  // 5793^2 blocks of 64, above 2^31 elements.
  EXPECT_EQ(blocks::checkGrid({8, 8, 46340, 46340, 1, 1}), GridError::tooLarge);
  EXPECT_EQ(blocks::checkGrid({65536, 32768, 0, 0, 1, 1}), GridError::tooLarge);  // blockLen = 2^31
  // A 1-by-32769 image in blocks of 2^30 entries: two blocks reach 2^31.
  EXPECT_EQ(blocks::checkGrid({32768, 32768, 1, 32768, 1, 1}), GridError::none);
  EXPECT_EQ(blocks::checkGrid({32768, 32768, 1, 32769, 1, 1}), GridError::tooLarge);
}

TEST(BlockGrid, DerivedCountsOfTheExamples) {
  const blocks::Grid top = blocks::makeGrid({3, 2, 6, 5, 2, 1});
  EXPECT_EQ(top.fullRows, 1);
  EXPECT_EQ(top.remRows, 2);
  EXPECT_EQ(top.fullCols, 2);
  EXPECT_EQ(top.remCols, 1);
  EXPECT_EQ(top.blockLen, 6);
  EXPECT_EQ(top.blockCount, 9);
  const blocks::Grid left = blocks::makeGrid({2, 3, 5, 5, 1, 2});
  EXPECT_EQ(left.mainRows, 3);
  EXPECT_EQ(left.mainCols, 2);
  EXPECT_EQ(left.blockCount, 9);
  const blocks::Grid tiny = blocks::makeGrid({5, 2, 2, 3, 1, 1});  // image smaller than a block
  EXPECT_EQ(tiny.fullRows, 0);
  EXPECT_EQ(tiny.remRows, 2);
  EXPECT_EQ(tiny.blockCount, 2);
  EXPECT_EQ(blocks::makeGrid({3, 2, 1, 3, 2, 1}).blockCount, 2);  // only a top band
  EXPECT_EQ(blocks::makeGrid({3, 2, 0, 3, 1, 1}).blockCount, 0);
  EXPECT_EQ(blocks::makeGrid({3, 2, 5, 0, 1, 1}).blockCount, 0);
}

// The pairs listed for the two worked examples, as (block, row, i, j).
struct Listed {
  GridParams p;
  std::vector<reference::Pair> pairs;
};

const Listed kTopBandExample{
    {3, 2, 6, 5, 2, 1},
    {{0, 0, 0, 0}, {0, 3, 0, 1}, {1, 0, 0, 2}, {1, 3, 0, 3}, {2, 3, 0, 4},
     {3, 0, 1, 0}, {3, 1, 2, 0}, {3, 2, 3, 0}, {3, 3, 1, 1}, {3, 4, 2, 1}, {3, 5, 3, 1},
     {4, 1, 4, 0}, {4, 2, 5, 0}, {4, 4, 4, 1}, {4, 5, 5, 1},
     {5, 0, 1, 2}, {5, 1, 2, 2}, {5, 2, 3, 2}, {5, 3, 1, 3}, {5, 4, 2, 3}, {5, 5, 3, 3},
     {6, 1, 4, 2}, {6, 2, 5, 2}, {6, 4, 4, 3}, {6, 5, 5, 3},
     {7, 3, 1, 4}, {7, 4, 2, 4}, {7, 5, 3, 4}, {8, 4, 4, 4}, {8, 5, 5, 4}}};

const Listed kLeftBandExample{
    {2, 3, 5, 5, 1, 2},
    {{0, 0, 0, 0}, {0, 1, 1, 0}, {1, 0, 2, 0}, {1, 1, 3, 0}, {2, 1, 4, 0},
     {3, 0, 0, 1}, {3, 1, 1, 1}, {3, 2, 0, 2}, {3, 3, 1, 2}, {3, 4, 0, 3}, {3, 5, 1, 3},
     {4, 0, 2, 1}, {4, 1, 3, 1}, {4, 2, 2, 2}, {4, 3, 3, 2}, {4, 4, 2, 3}, {4, 5, 3, 3},
     {5, 1, 4, 1}, {5, 3, 4, 2}, {5, 5, 4, 3}, {6, 4, 0, 4}, {6, 5, 1, 4}, {7, 4, 2, 4},
     {7, 5, 3, 4}, {8, 5, 4, 4}}};

const Listed kSmallerThanABlock{{5, 2, 2, 3, 1, 1},
                                {{0, 3, 0, 0}, {0, 4, 1, 0}, {0, 8, 0, 1}, {0, 9, 1, 1},
                                 {1, 8, 0, 2}, {1, 9, 1, 2}}};

const Listed kOnlyATopBand{{3, 2, 1, 3, 2, 1}, {{0, 0, 0, 0}, {0, 3, 0, 1}, {1, 3, 0, 2}}};

TEST(BlockCopy, ListedExamplesPairExactlyTheListedEntries) {
  for (const Listed* ex : {&kTopBandExample, &kLeftBandExample, &kSmallerThanABlock, &kOnlyATopBand}) {
    const GridParams& p = ex->p;
    const blocks::Grid g = blocks::makeGrid(p);
    const std::vector<double> Y = numbered(static_cast<std::size_t>(p.N1) * p.N2);
    std::vector<double> want(static_cast<std::size_t>(g.blockLen) * g.blockCount, 0.0);
    for (const auto& q : ex->pairs) want[q.row + q.block * g.blockLen] = Y[q.i + q.j * p.N1];
    EXPECT_TRUE(sameBits(cut(Y, p), want)) << "N1 = " << p.N1 << ", N2 = " << p.N2;
    EXPECT_TRUE(sameBits(reference::imgToBlocks(Y, asInput(p)), want));
    EXPECT_TRUE(sameBits(paste(want, p), Y));
  }
}

TEST(BlockCopy, ReferencePairsEveryImageEntryOnceAndNoPositionTwice) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 500; ++trial) {
    const GridParams p = randomParams(rng);
    const reference::Pairing pr = reference::pairing(asInput(p));
    std::set<std::int64_t> images, positions;
    for (const auto& q : pr.pairs) {
      ASSERT_TRUE(q.i >= 0 && q.i < p.N1 && q.j >= 0 && q.j < p.N2);
      ASSERT_TRUE(q.row >= 0 && q.row < pr.blockLen && q.block >= 0 && q.block < pr.blockCount);
      images.insert(q.i + q.j * p.N1);
      positions.insert(q.row + q.block * pr.blockLen);
    }
    EXPECT_EQ(images.size(), static_cast<std::size_t>(p.N1) * p.N2);
    EXPECT_EQ(positions.size(), pr.pairs.size());
  }
}

TEST(BlockCopy, CoresMatchTheReferenceOnRandomGrids) {
  std::mt19937 rng(2024);
  const support::Uniform value(-1e6, 1e6);
  for (int trial = 0; trial < 3000; ++trial) {
    const GridParams p = randomParams(rng);
    ASSERT_EQ(blocks::checkGrid(p), GridError::none);
    std::vector<double> Y(static_cast<std::size_t>(p.N1) * p.N2);
    for (double& v : Y) v = value(rng);
    const std::vector<double> X = cut(Y, p);
    ASSERT_TRUE(sameBits(X, reference::imgToBlocks(Y, asInput(p))))
        << p.n1 << "x" << p.n2 << " blocks, " << p.N1 << "x" << p.N2 << " image, start "
        << p.rowSt << "," << p.colSt;
    std::vector<double> Xr(X.size());
    for (double& v : Xr) v = value(rng);
    ASSERT_TRUE(sameBits(paste(Xr, p), reference::blocksToImg(Xr, asInput(p))));
  }
}

TEST(BlockCopy, RoundTripsKeepEveryBitAndZeroOnlyUnpairedPositions) {
  std::mt19937 rng(99);
  const double specials[] = {0.0, -0.0, std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::signaling_NaN(),
                             std::numeric_limits<double>::denorm_min(), -1.5e308};
  for (int trial = 0; trial < 500; ++trial) {
    const GridParams p = randomParams(rng);
    std::vector<double> Y(static_cast<std::size_t>(p.N1) * p.N2);
    for (std::size_t k = 0; k < Y.size(); ++k) {
      std::uint64_t u = rng() | (std::uint64_t{rng()} << 32);
      std::memcpy(&Y[k], &u, sizeof u);  // any bit pattern, NaN payloads included
      if (k % 5 == 0) Y[k] = specials[k / 5 % 8];
    }
    EXPECT_TRUE(sameBits(paste(cut(Y, p), p), Y));

    const reference::Pairing pr = reference::pairing(asInput(p));
    std::vector<double> X(static_cast<std::size_t>(pr.blockLen * pr.blockCount)), masked(X.size(), 0.0);
    for (double& v : X) v = static_cast<double>(rng() % 1000) + 1.0;
    for (const auto& q : pr.pairs) masked[q.row + q.block * pr.blockLen] = X[q.row + q.block * pr.blockLen];
    EXPECT_TRUE(sameBits(cut(paste(X, p), p), masked));
  }
}

// <imgToBlocks(Y), X> = <Y, blocksToImg(X)>, in integers so that both sides
// are exact.
TEST(BlockCopy, TheTwoCopiesAreAdjoint) {
  std::mt19937 rng(5);
  for (int trial = 0; trial < 300; ++trial) {
    const GridParams p = randomParams(rng);
    const blocks::Grid g = blocks::makeGrid(p);
    std::vector<double> Y(static_cast<std::size_t>(p.N1) * p.N2);
    std::vector<double> X(static_cast<std::size_t>(g.blockLen) * g.blockCount);
    for (double& v : Y) v = static_cast<double>(static_cast<int>(rng() % 2001) - 1000);
    for (double& v : X) v = static_cast<double>(static_cast<int>(rng() % 2001) - 1000);
    const std::vector<double> AY = cut(Y, p), AtX = paste(X, p);
    std::int64_t left = 0, right = 0;
    for (std::size_t k = 0; k < X.size(); ++k) left += static_cast<std::int64_t>(AY[k] * X[k]);
    for (std::size_t k = 0; k < Y.size(); ++k) right += static_cast<std::int64_t>(Y[k] * AtX[k]);
    EXPECT_EQ(left, right);
  }
}

// Every element type converts each value exactly as a cast to double does.
template <class T>
void expectConverts(const std::vector<T>& raw) {
  const GridParams p{3, 2, 4, static_cast<std::int32_t>(raw.size() / 4), 2, 1};
  const blocks::Grid g = blocks::makeGrid(p);
  std::vector<double> asDouble(raw.begin(), raw.end());
  std::vector<double> X(static_cast<std::size_t>(g.blockLen) * g.blockCount, 0.0);
  blocks::imgToBlocks(raw.data(), X.data(), g);
  EXPECT_TRUE(sameBits(X, cut(asDouble, p)));
  std::vector<T> rawX(X.size(), T{});
  for (const auto& q : reference::pairing(asInput(p)).pairs)
    rawX[q.row + q.block * g.blockLen] = raw[q.i + q.j * p.N1];
  std::vector<double> Y(raw.size(), 0.0);
  blocks::blocksToImg(rawX.data(), Y.data(), g);
  EXPECT_TRUE(sameBits(Y, asDouble));
}

TEST(BlockCopy, EveryElementTypeConvertsExactly) {
  expectConverts<float>({0.1f, -2.5f, 1e30f, -0.0f, 3, 4, 5, 6, 7, 8, 9, 10});
  expectConverts<std::uint8_t>({0, 1, 2, 255, 128, 7, 9, 11, 13, 200, 17, 19});
  expectConverts<std::int8_t>({-128, 127, -1, 0, 5, 6, 7, 8, 9, 10, 11, 12});
  expectConverts<std::int16_t>({-32768, 32767, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  expectConverts<std::uint16_t>({65535, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  expectConverts<std::int32_t>({-2147483647 - 1, 2147483647, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  expectConverts<std::uint32_t>({4294967295u, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  expectConverts<std::int64_t>({(std::int64_t{1} << 53) + 1, -(std::int64_t{1} << 62), 1, 2, 3, 4,
                                5, 6, 7, 8, 9, 10});
  expectConverts<std::uint64_t>({~std::uint64_t{0}, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
}

}  // namespace

namespace {

double* lineAligned(double* p) {
  const auto u = reinterpret_cast<std::uintptr_t>(p);
  return p + ((64 - u % 64) % 64) / sizeof(double);
}

// Every code path of the double copies, with cached and streaming stores,
// against the reference: destinations at every 8-byte offset from a cache
// line, with sentinels before and after that must survive.
TEST(BlockCopy, EveryCodePathMatchesTheReference) {
  std::mt19937 rng(31);
  const support::Uniform value(-1e3, 1e3);
  const double sentinel = -12345.678;
  const int sides[] = {2, 3, 4, 5, 8, 9, 16, 17, 24};
  for (cpu::Isa isa : cpu::kIsas) {
    if (!cpu::supports(isa)) {
      std::printf("[  NOTE    ] %s path not supported by this processor, not run\n", cpu::name(isa));
      continue;
    }
    for (blocks::Stores stores : {blocks::Stores::cached, blocks::Stores::streamed}) {
      for (int trial = 0; trial < 400; ++trial) {
        GridParams p{};
        p.n1 = sides[rng() % 9];
        p.n2 = sides[rng() % 9];
        p.rowSt = p.colSt = 1;
        if (rng() % 3 == 1) p.rowSt = 1 + static_cast<int>(rng() % (p.n1 - 1));
        else if (rng() % 2 == 1) p.colSt = 1 + static_cast<int>(rng() % (p.n2 - 1));
        p.N1 = p.rowSt - 1 + static_cast<int>(rng() % (7 * p.n1));
        p.N2 = p.colSt - 1 + static_cast<int>(rng() % (4 * p.n2));
        const blocks::Grid g = blocks::makeGrid(p);
        const std::size_t xSize = std::size_t(g.blockLen) * g.blockCount, ySize = std::size_t(p.N1) * p.N2;
        const std::size_t pad = 16, offset = trial % 8;

        std::vector<double> Y(ySize);
        for (double& v : Y) v = value(rng);
        std::vector<double> xbuf(xSize + 2 * pad, sentinel);
        double* X = lineAligned(xbuf.data() + 8) + offset;
        std::fill(X, X + xSize, 0.0);
        blocks::imgToBlocks(Y.data(), X, g, isa, stores);
        const std::vector<double> want = reference::imgToBlocks(Y, asInput(p));
        ASSERT_TRUE(sameBits(std::vector<double>(X, X + xSize), want))
            << cpu::name(isa) << " cut " << p.n1 << "x" << p.n2 << " blocks, image " << p.N1 << "x"
            << p.N2 << ", start " << p.rowSt << "," << p.colSt << ", offset " << offset;
        for (double* q = xbuf.data(); q < X; ++q) ASSERT_EQ(*q, sentinel);
        for (double* q = X + xSize; q < xbuf.data() + xbuf.size(); ++q) ASSERT_EQ(*q, sentinel);

        std::vector<double> Xin(xSize);
        for (double& v : Xin) v = value(rng);
        std::vector<double> ybuf(ySize + 2 * pad, sentinel);
        double* Yout = lineAligned(ybuf.data() + 8) + offset;
        std::fill(Yout, Yout + ySize, 0.0);
        blocks::blocksToImg(Xin.data(), Yout, g, isa, stores);
        ASSERT_TRUE(sameBits(std::vector<double>(Yout, Yout + ySize), reference::blocksToImg(Xin, asInput(p))))
            << cpu::name(isa) << " paste " << p.n1 << "x" << p.n2 << " blocks, image " << p.N1 << "x"
            << p.N2 << ", start " << p.rowSt << "," << p.colSt << ", offset " << offset;
        for (double* q = ybuf.data(); q < Yout; ++q) ASSERT_EQ(*q, sentinel);
        for (double* q = Yout + ySize; q < ybuf.data() + ybuf.size(); ++q) ASSERT_EQ(*q, sentinel);
      }
    }
  }
}

}  // namespace

// The automatic store decision for processors as cpuid names them: the family
// is base plus extended family from base 15 on; AMD from Zen on (and Hygon)
// streams blocksToImg only, into line-aligned columns of tall blocks; every
// other processor streams both directions from 32 MiB on.
TEST(BlockCopy, StoreDecisionByProcessor) {
  const blocks::Processor zen5 = blocks::processorFrom("AuthenticAMD", 0x00B00F21),
                          hygon = blocks::processorFrom("HygonGenuine", 0x00900F01),
                          xeon = blocks::processorFrom("GenuineIntel", 0x000806F8),
                          bulldozer = blocks::processorFrom("AuthenticAMD", 0x00600F12),
                          other = blocks::processorFrom("CentaurHauls", 0x000006FE);
  EXPECT_EQ(zen5.family, 0x1A);
  EXPECT_EQ(xeon.family, 6);
  const std::size_t big = std::size_t{32} << 20, small = big - 8;
  for (const blocks::Processor& p : {zen5, hygon}) {
    EXPECT_TRUE(blocks::streamsOutput(p, big, true));
    EXPECT_FALSE(blocks::streamsOutput(p, big, false));
    EXPECT_FALSE(blocks::streamsOutput(p, small, true));
  }
  for (const blocks::Processor& p : {xeon, bulldozer, other}) {
    EXPECT_TRUE(blocks::streamsOutput(p, big, false));
    EXPECT_FALSE(blocks::streamsOutput(p, small, true));
  }
}
