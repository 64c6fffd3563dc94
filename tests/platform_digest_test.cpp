// The results of the arithmetic plug-ins on fixed pseudorandom inputs, as
// digests of their bits, recorded on x86-64 Linux. The other suites compare
// each path with a reference built by the same compiler with the same flags,
// which would go wrong in the same way (a multiply fused with an add on ARM,
// say); these digests tie every platform's results to the x86-64 ones.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
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

std::uint64_t digestOf(const char* name, const Args& args) {
  const auto r = support::call(name, 1, args);
  EXPECT_TRUE(support::succeeded(r)) << name;
  return r.ok ? digest(support::output(r)) : 0;
}

TEST(PlatformDigest, CyclicEnergy) {
  const std::size_t m = 24, n = 37;
  const std::vector<double> p{1, 2, 5, 24, 25, 300, 887, 888, 412};
  Args args(makeDouble(1, p.size(), p), makeDouble(m, n, values(m * n, 1)),
            makeDouble(m, n, values(m * n, 2)), double(m), double(n), double(p.size()));
  EXPECT_EQ(digestOf("cyclicEnergy", args), 13363419873363768312u);
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
    Args args(makeDouble(c.rows, 3, values(c.rows * 3, c.rows)));
    EXPECT_EQ(digestOf("seqSpectrum", args), c.digest) << c.rows << " rows";
  }
}

}  // namespace
