// The results of the arithmetic plug-ins on fixed pseudorandom inputs, as
// digests of their bits, recorded on x86-64 Linux. The other suites compare
// each path with a reference built by the same compiler with the same flags,
// which would go wrong in the same way (a multiply fused with an add on ARM,
// say); these digests tie every platform's results to the x86-64 ones.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "support.h"

namespace {

using support::Args;
using testhost::makeDouble;

// Doubles in [-8, 8) with full 53-bit mantissas; std::mt19937_64's sequence is
// fixed by the C++ standard.
std::vector<double> values(std::size_t count, std::uint64_t seed) {
  std::mt19937_64 gen(seed);
  std::vector<double> v(count);
  for (double& x : v) x = (static_cast<double>(gen() >> 11) * 0x1p-53 - 0.5) * 16;
  return v;
}

// FNV-1a over the bits of every value.
std::uint64_t digest(const std::vector<double>& v) {
  std::uint64_t h = 0xcbf29ce484222325u;
  for (double x : v) {
    std::uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    for (int k = 0; k < 8; ++k) h = (h ^ ((b >> (8 * k)) & 0xff)) * 0x100000001b3u;
  }
  return h;
}

// On the x87 unit (Win32) the digests hold at the 53-bit precision the test
// programs start with, MATLAB's setting on Windows. At 64-bit precision every
// operation is rounded twice, to 64 bits and to double on the store, so an
// entry may leave the 53-bit (x86-64) result, though by less than twice the
// error bound of the computation, bound(k) for entry k. The count of entries
// that differ is printed.
void checkExtendedPrecision(const char* name, const Args& args, const std::vector<double>& x86,
                            const std::function<double(std::size_t)>& bound) {
  if (!support::kX87) return;
  support::X87Precision unit(64);
  const auto r = support::call(name, 1, args);
  ASSERT_TRUE(support::succeeded(r)) << name;
  const std::vector<double> got = support::output(r);
  ASSERT_EQ(got.size(), x86.size());
  std::size_t differ = 0;
  double worst = 0;  // largest difference, in units of the bound
  for (std::size_t k = 0; k < got.size(); ++k) {
    if (support::bits(got[k]) == support::bits(x86[k])) continue;
    ++differ;
    const double d = std::fabs(got[k] - x86[k]);
    worst = std::fmax(worst, d / bound(k));
    EXPECT_LE(d, bound(k)) << name << " entry " << k;
  }
  std::printf("%s at 64-bit precision: %zu of %zu entries differ from x86-64, by up to %.3g of the bound\n",
              name, differ, got.size(), worst);
}

std::vector<double> resultOf(const char* name, const Args& args) {
  const auto r = support::call(name, 1, args);
  EXPECT_TRUE(support::succeeded(r)) << name;
  return r.ok ? support::output(r) : std::vector<double>{};
}

TEST(PlatformDigest, CyclicEnergy) {
  const std::size_t m = 24, n = 37;
  const std::vector<double> p{1, 2, 5, 24, 25, 300, 887, 888, 412};
  Args args(makeDouble(1, p.size(), p), makeDouble(m, n, values(m * n, 1)),
            makeDouble(m, n, values(m * n, 2)), double(m), double(n), double(p.size()));
  const std::vector<double> ell = resultOf("cyclicEnergy", args);
  EXPECT_EQ(digest(ell), 13363419873363768312u);
  // np nonnegative terms: |error| <= (np + 1) u ell in either precision.
  checkExtendedPrecision("cyclicEnergy", args, ell,
                         [&](std::size_t k) { return 2 * (p.size() + 2) * 0x1p-53 * ell[k]; });
}

TEST(PlatformDigest, SeqSpectrum) {
  const struct {
    std::size_t rows;
    std::uint64_t digest;
  } cases[] = {{1, 1187379274066594459u},
               {7, 13495372967914944611u},
               {64, 15820067397745416367u},
               {1000, 494911989914052664u}};
  for (const auto& c : cases) {
    const std::vector<double> x = values(c.rows * 3, c.rows);
    Args args(makeDouble(c.rows, 3, x));
    const std::vector<double> W = resultOf("seqSpectrum", args);
    EXPECT_EQ(digest(W), c.digest) << c.rows << " rows";
    // log2(L) stages of sums, the pair stage rounding twice: |error| <=
    // (log2 L + 1) u sum|x| / L in either precision.
    std::size_t L = 1, stages = 0;
    while (L < c.rows) L *= 2, ++stages;
    std::vector<double> absSum(3, 0.0);
    for (std::size_t k = 0; k < x.size(); ++k) absSum[k / c.rows] += std::fabs(x[k]);
    checkExtendedPrecision("seqSpectrum", args, W, [&](std::size_t k) {
      return 2 * (stages + 2) * 0x1p-53 * absSum[k / L] / static_cast<double>(L);
    });
  }
}

// The Hadamard (1) and dyadic (2) orders of the 1000-row case above.
TEST(PlatformDigest, WalshOrdered) {
  const std::uint64_t digests[] = {3759681402070961128u, 16002729880535276404u};
  for (int ordering : {1, 2}) {
    Args args(makeDouble(1000, 3, values(3000, 1000)), ordering);
    EXPECT_EQ(digest(resultOf("walshOrdered", args)), digests[ordering - 1]) << "ordering " << ordering;
  }
}

}  // namespace
