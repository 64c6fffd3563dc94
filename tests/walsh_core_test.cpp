// The transform core, called directly: every code path (portable, AVX2,
// AVX-512) against the step-by-step reference bit for bit, against the
// definition through the sequency-ordered Hadamard matrix, and the pair
// stage's overflow case against exact integer arithmetic.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <type_traits>
#include <vector>

#include "reference/walsh_reference.h"
#include "simd/cpu.h"
#include "support.h"
#include "walsh/transform.h"

namespace {

// Every row count in the sweeps; every 7th on x87, where subnormal arithmetic
// runs in microcode and the full sweep takes minutes.
constexpr std::int32_t kSweepStep = support::kX87 ? 7 : 1;

using support::bits;
using support::sameBits;

const double kInf = std::numeric_limits<double>::infinity();
const double kGuard = -12345.678;  // fills entries nothing may write

// The NaN that inf - inf gives on this machine. Mixed test data hold no other
// NaN: when two NaNs with different payloads meet in an addition, which one
// survives depends on the order in which the compiler puts the operands, and
// a + b and b + a are the same addition to it. Payloads are tested where only
// one NaN is in play.
double defaultNaN() {
  volatile double inf = std::numeric_limits<double>::infinity();
  return inf - inf;
}

double nanWithPayload(std::uint64_t payload, bool negative = false) {
  std::uint64_t u = 0x7ff8000000000000ull | (payload & 0x0007ffffffffffffull);
  if (negative) u |= 0x8000000000000000ull;
  double v;
  std::memcpy(&v, &u, sizeof v);
  return v;
}

struct Result {
  std::vector<double> W;
  int finalBuffer;  // which scratch buffer holds the current role afterwards
  bool scratchUntouched;
};

// Runs the core on A (M by N) on one code path, with scratch full of NaN and
// guard entries after the L entries of each buffer and around W. A and W
// start `shift` doubles past a 64-byte boundary.
template <class T>
Result transform(const std::vector<T>& A, std::int32_t M, std::int32_t N,
                 cpu::Isa isa = cpu::bestIsa(), std::size_t shift = 0) {
  const std::int32_t L = walsh::paddedLength(M);
  std::vector<double> buffers[2] = {std::vector<double>(L + 4, nanWithPayload(77)),
                                    std::vector<double>(L + 4, nanWithPayload(78))};
  for (auto& b : buffers)
    for (std::int32_t i = L; i < L + 4; ++i) b[i] = kGuard;
  auto aligned = [](auto* p) {
    const std::uintptr_t u = reinterpret_cast<std::uintptr_t>(p);
    return p + (64 - u % 64) % 64 / sizeof(*p);
  };
  std::vector<T> in(A.size() + shift + 64 / sizeof(T));
  T* a = aligned(in.data()) + shift;
  std::copy(A.begin(), A.end(), a);
  const std::size_t size = static_cast<std::size_t>(L) * N;
  std::vector<double> out(size + shift + 8 + 4, kGuard);
  double* start = aligned(out.data());
  double* W = start + shift;
  walsh::Scratch s{buffers[0].data(), buffers[1].data()};
  if constexpr (std::is_same_v<T, double>)
    walsh::transformColumns(a, M, N, W, s, isa);
  else
    walsh::transformColumns(a, M, N, W, s);
  bool untouched = true;
  for (int j = 0; j < 2; ++j) {
    const double fill = nanWithPayload(77 + j);
    for (std::int32_t i = 0; i < L; ++i) untouched = untouched && std::memcmp(&buffers[j][i], &fill, sizeof fill) == 0;
    for (std::int32_t i = L; i < L + 4; ++i) EXPECT_EQ(buffers[j][i], kGuard) << "scratch written past L";
  }
  for (double* g = out.data(); g < W; ++g) EXPECT_EQ(*g, kGuard) << "W written before its start";
  for (double* g = W + size; g < out.data() + out.size(); ++g) EXPECT_EQ(*g, kGuard) << "W written past L*N";
  EXPECT_NE(s.current, s.next);
  return {std::vector<double>(W, W + size), s.current == buffers[0].data() ? 0 : 1, untouched};
}

std::vector<double> spectrum(const std::vector<double>& A, std::int32_t M, std::int32_t N,
                             cpu::Isa isa = cpu::bestIsa()) {
  return transform(A, M, N, isa).W;
}

// Tests of this fixture run once per code path; paths the processor lacks are
// skipped.
class WalshPath : public ::testing::TestWithParam<cpu::Isa> {
 protected:
  void SetUp() override {
    if (!cpu::supports(isa())) GTEST_SKIP() << cpu::name(isa()) << " not supported by this processor";
  }
  cpu::Isa isa() const { return GetParam(); }
  std::vector<double> spectrum(const std::vector<double>& A, std::int32_t M, std::int32_t N) const {
    return ::spectrum(A, M, N, isa());
  }
  // Bit for bit against the reference, buffer roles included.
  ::testing::AssertionResult matches(const std::vector<double>& A, std::int32_t M, std::int32_t N,
                                     std::size_t shift = 0) const {
    int finalBuffer = 0;
    const std::vector<double> want = reference::seqSpectrum(A, M, N, &finalBuffer);
    const Result got = transform(A, M, N, isa(), shift);
    if (got.W.size() != want.size() ||
        (!want.empty() && std::memcmp(got.W.data(), want.data(), want.size() * sizeof(double)) != 0))
      return sameBits(got.W, want) << " (M = " << M << ", N = " << N << ", shift " << shift << ")";
    if (got.finalBuffer != finalBuffer)
      return ::testing::AssertionFailure() << "buffer roles (M = " << M << ", N = " << N << ")";
    return ::testing::AssertionSuccess();
  }
};

// Column values of four kinds, chosen by column: small dyadic numbers; any
// finite magnitude from subnormal to huge; those with NaN, infinities, signed
// zeros and subnormals sprinkled in; and magnitudes near overflow, where sums
// and 2b overflow.
std::vector<double> randomColumns(std::mt19937_64& rng, std::int32_t M, std::int32_t N, int firstKind = 0) {
  const support::Uniform unit(1.0, 2.0);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto sign = [&] { return pick(0, 1) ? -1.0 : 1.0; };
  std::vector<double> A(static_cast<std::size_t>(M) * N);
  for (std::int32_t c = 0; c < N; ++c) {
    const int kind = (firstKind + c) % 4;
    for (std::int32_t i = 0; i < M; ++i) {
      double v;
      switch (kind) {
        case 0: v = std::ldexp(static_cast<double>(pick(-1000, 1000)), pick(-20, 20)); break;
        case 1: v = sign() * std::ldexp(unit(rng), pick(-1074, 1023)); break;
        case 2:
          switch (pick(0, 40)) {
            case 0: v = defaultNaN(); break;
            case 1: v = sign() * kInf; break;
            case 2: case 3: v = sign() * 0.0; break;
            case 4: v = sign() * std::ldexp(unit(rng), pick(-1074, -1023)); break;  // subnormal
            default: v = sign() * std::ldexp(unit(rng), pick(-60, 60)); break;
          }
          break;
        default: v = pick(0, 9) ? sign() * std::ldexp(unit(rng), pick(1015, 1023)) : sign() * DBL_MAX; break;
      }
      A[static_cast<std::size_t>(c) * M + i] = v;
    }
  }
  return A;
}

TEST(WalshPaddedLength, SmallestPowerOfTwoNotBelowM) {
  EXPECT_EQ(walsh::stageCount(0), 0);
  EXPECT_EQ(walsh::paddedLength(0), 1);
  EXPECT_EQ(walsh::paddedLength(1), 1);
  for (std::int32_t M = 1; M <= (1 << 20); ++M) {
    const std::int32_t k = walsh::stageCount(M);
    ASSERT_TRUE((std::int64_t{1} << k) >= M && (k == 0 || (std::int64_t{1} << (k - 1)) < M)) << M;
  }
  for (int j = 1; j <= 30; ++j) {
    const std::int32_t p = std::int32_t{1} << j;
    EXPECT_EQ(walsh::paddedLength(p), p) << "2^" << j << " pads to itself";
    EXPECT_EQ(walsh::paddedLength(p - 1), j == 1 ? 1 : p);
    if (j < 30) {
      EXPECT_EQ(walsh::paddedLength(p + 1), 2 * p);
    }
  }
  EXPECT_EQ(walsh::paddedLength(walsh::kMaxRows), 1 << 30);
}

TEST_P(WalshPath, WorkedExamples) {
  EXPECT_TRUE(sameBits(spectrum({1, 2, 3}, 3, 1), {1.5, 0, -1, 0.5}));
  EXPECT_TRUE(sameBits(spectrum({1, 2, 3, 4, 5, 6, 7, 8}, 8, 1), {4.5, -2, 0, -1, 0, 0, 0, -0.5}));
  // (a, b) -> ((a + b)/2, ((a + b) - 2b)/2), which is not (a - b)/2 here.
  const double e = std::ldexp(1.0, -52);
  EXPECT_TRUE(sameBits(spectrum({1, 0.75 * e}, 2, 1), {(1 + e) / 2, (1 - e / 2) / 2}));
  EXPECT_NE(bits(spectrum({1, 0.75 * e}, 2, 1)[1]), bits((1 - 0.75 * e) / 2));
}

TEST_P(WalshPath, OneRowIsTheInputAndNoRowsGiveZeros) {
  const std::vector<double> row = {1.5, -0.0, nanWithPayload(5), -kInf, 4.9e-324, DBL_MAX};
  EXPECT_TRUE(sameBits(spectrum(row, 1, 6), row));
  EXPECT_TRUE(sameBits(spectrum({}, 0, 4), {0, 0, 0, 0}));
  EXPECT_TRUE(spectrum({}, 3, 0).empty());
}

// 2b overflows for |b| > DBL_MAX/2; the pair's difference is still formed as
// the correctly rounded sum - 2b, computed here exactly in integers: wherever
// the sum is finite, b and the sum are multiples of 2^970.
TEST(WalshCore, PairDifferenceWithHugeSecondValue) {
  const double big = std::ldexp(1.0, 1023);  // the smallest |b| above DBL_MAX/2
  EXPECT_TRUE(sameBits(spectrum({0, big}, 2, 1), {big / 2, -big / 2}));
  // The x87 unit keeps sums in its wider exponent range, where nothing below
  // overflows: these are the cases of 64-bit builds.
  if (support::kX87) GTEST_SKIP() << "x87 arithmetic: sums keep a wider exponent range";
  EXPECT_TRUE(sameBits(spectrum({big, big}, 2, 1), {kInf, kInf}));  // the sum overflows
  EXPECT_TRUE(sameBits(spectrum({-kInf, big}, 2, 1), {-kInf, -kInf}));
  const std::vector<double> inf = spectrum({1, kInf}, 2, 1);  // inf - inf
  EXPECT_TRUE(std::isnan(inf[1]));

  std::mt19937_64 rng(3);
  std::uniform_int_distribution<std::uint64_t> mantissa(0, (std::uint64_t{1} << 52) - 1);
  auto value = [&](int e) { return std::ldexp(1.0 + std::ldexp(static_cast<double>(mantissa(rng)), -52), e); };
  int finite = 0, infinite = 0;
  for (int n = 0; n < 200000; ++n) {
    const double b = (n & 1 ? -1 : 1) * value(1023);
    double a;
    switch (n % 7) {
      case 0: a = -b + (n & 2 ? 1 : -1) * value(970 + n % 60); break;  // cancels
      case 1: a = -b; break;
      case 2: a = std::copysign(value(1023), n & 4 ? b : -b); break;
      case 3: a = std::copysign(value(1022), n & 4 ? b : -b); break;
      default: a = (n & 8 ? 1 : -1) * value(static_cast<int>(rng() % 2098) - 1074); break;
    }
    const double sum = a + b;
    const double got = spectrum({a, b}, 2, 1)[1];
    if (std::isnan(sum)) {
      ASSERT_TRUE(std::isnan(got));
      continue;
    }
    if (std::isinf(sum)) {  // (+-inf) - 2b is that infinity
      ASSERT_EQ(bits(got), bits(sum / 2)) << a << " " << b;
      continue;
    }
    const double unit = std::ldexp(1.0, 970);
    ASSERT_EQ(std::fmod(sum, unit), 0.0) << a << " " << b;
    const std::int64_t D = static_cast<std::int64_t>(sum / unit) - 2 * static_cast<std::int64_t>(b / unit);
    const double want = std::ldexp(static_cast<double>(D), 970);  // rounds once, to nearest even
    ASSERT_EQ(bits(got), bits(want / 2)) << a << " " << b;
    ASSERT_FALSE(std::isfinite(sum - 2.0 * b)) << "the plain formula overflows here";
    (std::isfinite(want) ? finite : infinite)++;
  }
  EXPECT_GT(finite, 10000);
  EXPECT_GT(infinite, 10000);
}

// A NaN reaches every output it feeds with its payload and sign intact, as
// long as it meets no other NaN.
TEST_P(WalshPath, NaNPayloadsPropagate) {
  std::mt19937_64 rng(8);
  const std::int32_t N = 11;  // a batch of columns and single ones
  for (std::int32_t M : {2, 3, 8, 13, 64, 1000, 3000}) {
    std::vector<double> A(static_cast<std::size_t>(M) * N);
    for (double& v : A) v = std::ldexp(static_cast<double>(static_cast<int>(rng() % 2001) - 1000), -5);
    for (std::int32_t c = 0; c < N; ++c) A[c * M + rng() % M] = nanWithPayload(rng(), c % 2 == 1);
    const std::vector<double> W = spectrum(A, M, N);
    ASSERT_TRUE(sameBits(W, reference::seqSpectrum(A, M, N))) << M;
    const std::int32_t L = walsh::paddedLength(M);
    for (std::int32_t c = 0; c < N; ++c) {
      const double nan = *std::find_if(A.begin() + c * M, A.begin() + (c + 1) * M,
                                       [](double v) { return v != v; });
      for (std::int32_t r = 0; r < L; ++r)  // every output depends on every input
        ASSERT_EQ(bits(W[c * L + r]), bits(nan)) << "M = " << M << ", row " << r;
    }
  }
}

TEST_P(WalshPath, MatchesReferenceForEveryRowCountUpTo5000) {
  std::mt19937_64 rng(1);
  for (std::int32_t M = 0; M <= 5000; M += kSweepStep) {
    const std::int32_t N = 1 + M % 4;
    ASSERT_TRUE(matches(randomColumns(rng, M, N, M), M, N));
  }
}

// Enough columns for whole batches, with every count of columns left over.
TEST_P(WalshPath, MatchesReferenceForBatchesOfColumns) {
  std::mt19937_64 rng(9);
  for (std::int32_t M = 0; M <= 2100; ++M) {
    const std::int32_t N = 8 + M % 13;
    ASSERT_TRUE(matches(randomColumns(rng, M, N, M), M, N));
  }
}

TEST_P(WalshPath, MatchesReferenceForPowersOfTwoAndManyColumnCounts) {
  std::mt19937_64 rng(2);
  for (int j = 0; j <= 16; ++j) {
    for (std::int32_t M : {(1 << j) - 1, 1 << j, (1 << j) + 1}) {
      ASSERT_TRUE(matches(randomColumns(rng, M, 4), M, 4));
      if (j <= 13) {
        ASSERT_TRUE(matches(randomColumns(rng, M, 9, j), M, 9));
      }
    }
  }
  // Long columns take the deepest cache blocking; aligned outputs from 2^18
  // rows on are written with non-temporal stores.
  for (std::int32_t M : {(1 << 18) - 3, (1 << 20) + 1}) {
    for (std::size_t shift : {0, 3}) {
      ASSERT_TRUE(matches(randomColumns(rng, M, 2, 0), M, 2, shift));  // no NaN to hide errors
    }
  }
  // A single column too long for the registers works in its own output: the
  // vector paths leave the scratch untouched (a host may hand out fresh pages).
  if (isa() != cpu::Isa::scalar) {
    for (std::int32_t M : {300, 1000, 1 << 16}) {
      EXPECT_TRUE(transform(randomColumns(rng, M, 1, 0), M, 1, isa()).scratchUntouched) << "M = " << M;
    }
  }
  // The buffer roles carry over between columns: the stage count's parity and
  // the column count decide which buffer each column starts in.
  for (std::int32_t M : {0, 1, 2, 3, 4, 5, 8, 100, 129}) {
    for (std::int32_t N : {0, 1, 2, 3, 4, 5, 7, 8, 16, 33, 100}) {
      const std::vector<double> A = randomColumns(rng, M, N, N);
      ASSERT_TRUE(matches(A, M, N));
      const std::int32_t k = walsh::stageCount(M);
      ASSERT_EQ(transform(A, M, N, isa()).finalBuffer, k > 1 ? (N * (k - 1)) % 2 : 0)
          << "M = " << M << ", N = " << N;
    }
  }
}

// One second value above DBL_MAX/2 among ordinary ones, at every odd row in
// turn: its pair needs 2*(0.5*sum - b) while all other pairs of the same
// vectors take sum - 2b.
TEST_P(WalshPath, OneHugeSecondValueAmongOrdinaryOnes) {
  std::mt19937_64 rng(10);
  for (int k = 1; k <= 8; ++k) {
    const std::int32_t L = 1 << k, N = 17;
    for (std::int32_t row = 1; row < L; row += 2) {
      std::vector<double> A = randomColumns(rng, L, N, 0);
      for (std::int32_t c = 0; c < N; ++c) {
        const std::int32_t r = c % 3 == 0 ? row : 1 + 2 * static_cast<std::int32_t>(rng() % (L / 2));
        A[c * L + r] = (c & 1 ? -1 : 1) * std::ldexp(1.0 + std::ldexp(static_cast<double>(rng() % 1000), -12), 1023);
        if (c % 4 == 1) A[c * L + r - 1] = -A[c * L + r];  // a - ... cancels exactly
      }
      ASSERT_TRUE(matches(A, L, N)) << "row " << row;
    }
  }
}

// Any alignment of input and output.
TEST_P(WalshPath, AnyAlignment) {
  std::mt19937_64 rng(11);
  for (std::size_t shift = 0; shift < 8; ++shift)
    for (std::int32_t M : {5, 8, 16, 100, 1024, 4097})
      ASSERT_TRUE(matches(randomColumns(rng, M, 9, static_cast<int>(shift)), M, 9, shift));
}

// Values of every element class convert exactly as static_cast<double> does.
template <class T>
void checkElementType(std::mt19937_64& rng) {
  for (std::int32_t M : {1, 5, 16, 100}) {
    const std::int32_t N = 3;
    std::vector<T> A(static_cast<std::size_t>(M) * N);
    for (T& v : A) {
      if constexpr (std::is_same_v<T, float>) {
        const std::uint32_t u = static_cast<std::uint32_t>(rng());
        std::memcpy(&v, &u, sizeof v);  // any float, infinities included
        if (v != v) v = static_cast<float>(defaultNaN());
      } else {
        const std::uint64_t u = rng();
        std::memcpy(&v, &u, sizeof v);
      }
    }
    std::vector<double> asDouble(A.size());
    for (std::size_t i = 0; i < A.size(); ++i) asDouble[i] = static_cast<double>(A[i]);
    ASSERT_TRUE(sameBits(transform(A, M, N).W, reference::seqSpectrum(asDouble, M, N)))
        << "element size " << sizeof(T) << ", M = " << M;
  }
}

TEST(WalshCore, EveryElementType) {
  std::mt19937_64 rng(4);
#define TOOLBOX_CHECK_TYPE(T, tag) checkElementType<T>(rng);
  TOOLBOX_FOR_EACH_ELEMENT_TYPE(TOOLBOX_CHECK_TYPE)
#undef TOOLBOX_CHECK_TYPE
}

// rev(v): the k low bits of v in reverse order.
std::uint32_t reverseBits(std::uint32_t v, int k) {
  std::uint32_t r = 0;
  for (int b = 0; b < k; ++b) r |= ((v >> b) & 1u) << (k - 1 - b);
  return r;
}

// H[r][i] = (-1)^popcount(i AND rev(r XOR r>>1)): row r is the Walsh function
// with exactly r sign changes.
int hadamard(std::uint32_t r, std::uint32_t i, int k) {
  return __builtin_popcount(i & reverseBits(r ^ (r >> 1), k)) % 2 ? -1 : 1;
}

TEST_P(WalshPath, IsTheSequencyOrderedHadamardTransform) {
  std::mt19937_64 rng(5);
  for (int k = 0; k <= 10; ++k) {
    const std::uint32_t L = 1u << k;
    for (std::uint32_t r = 0; r < L; ++r) {
      int changes = 0;
      for (std::uint32_t i = 1; i < L; ++i) changes += hadamard(r, i, k) != hadamard(r, i - 1, k);
      ASSERT_EQ(changes, static_cast<int>(r)) << "k = " << k;
    }
    // Small integers: every sum is exact, so the fast transform must give
    // (1/L) * H * x exactly.
    for (std::int32_t M : {static_cast<std::int32_t>(L), static_cast<std::int32_t>(L / 2 + 1)}) {
      const std::int32_t N = 2;
      std::vector<double> A(static_cast<std::size_t>(M) * N);
      for (double& v : A) v = static_cast<double>(static_cast<int>(rng() % 2001) - 1000);
      std::vector<double> want(static_cast<std::size_t>(L) * N);
      for (std::int32_t c = 0; c < N; ++c)
        for (std::uint32_t r = 0; r < L; ++r) {
          std::int64_t sum = 0;
          for (std::int32_t i = 0; i < M; ++i) sum += hadamard(r, i, k) * static_cast<std::int64_t>(A[c * M + i]);
          want[c * L + r] = static_cast<double>(sum) / L;
        }
      ASSERT_TRUE(sameBits(spectrum(A, M, N), want)) << "M = " << M;
    }
  }
}

// The Hadamard and dyadic orders hold the sequency spectrum's very bits:
// sequency row r (Walsh function H[r] above) is natural row rev(gray(r)) and
// Paley row gray(r). Column counts cross the reordering's chunks of columns;
// the longest columns take the gathering path and a non-double class the
// portable transform.
TEST(WalshCore, OtherOrdersMoveTheSequencyRows) {
  std::mt19937_64 rng(6);
  std::normal_distribution<double> normal;
  for (int k = 0; k <= 15; ++k) {
    const std::int32_t L = std::int32_t{1} << k, M = L / 2 + 1, N = k <= 9 ? 2 * 8192 / L + 3 : 3;
    std::vector<double> A(static_cast<std::size_t>(M) * N);
    for (double& v : A) v = std::ldexp(normal(rng), static_cast<int>(rng() % 41) - 20);
    const std::vector<double> seq = spectrum(A, M, N);
    std::vector<double> s0(L), s1(L), got(seq.size());
    for (walsh::Ordering ordering : {walsh::Ordering::hadamard, walsh::Ordering::dyadic}) {
      walsh::Scratch scratch{s0.data(), s1.data()};
      walsh::orderedColumns(A.data(), M, N, got.data(), scratch, ordering);
      std::vector<double> want(seq.size());
      for (std::int32_t c = 0; c < N; ++c)
        for (std::uint32_t r = 0; r < static_cast<std::uint32_t>(L); ++r) {
          const std::uint32_t gray = r ^ (r >> 1);
          const std::uint32_t row = ordering == walsh::Ordering::hadamard ? reverseBits(gray, k) : gray;
          want[c * std::size_t(L) + row] = seq[c * std::size_t(L) + r];
        }
      ASSERT_TRUE(sameBits(got, want)) << "k = " << k << ", ordering " << static_cast<int>(ordering);
    }
  }
  std::vector<float> A(40 * 3);
  for (float& v : A) v = static_cast<float>(normal(rng));
  std::vector<double> s0(64), s1(64), W(64 * 3), D(A.begin(), A.end()), want(64 * 3);
  walsh::Scratch scratch{s0.data(), s1.data()};
  walsh::orderedColumns(A.data(), 40, 3, W.data(), scratch, walsh::Ordering::dyadic);
  walsh::orderedColumns(D.data(), 40, 3, want.data(), scratch, walsh::Ordering::dyadic);
  EXPECT_TRUE(sameBits(W, want));
}

// The data flow is the natural-order radix-2 tree: stage s combines the
// entries whose indices differ in bit s, the pair stage first. Kept in place
// in natural order, stage s >= 1 pairs x = v[t] and y = v[t + 2^s] (bit s of t
// clear) and stores (x + y, x - y), or (x - y, x + y) when bit s - 1 of t is
// set; the result for row rev(n) is v[n] / L. Every output is the same
// operation on the same operands as in the step-by-step form, so any schedule
// and memory order that keeps that gives the same bits.
void naturalStage(double* v, std::uint32_t L, int s) {
  const std::uint32_t h = 1u << s;
  for (std::uint32_t t = 0; t < L; ++t) {
    if (t & h) continue;
    const double x = v[t], y = v[t + h];
    const bool swapped = (t >> (s - 1)) & 1u;
    v[t] = swapped ? x - y : x + y;
    v[t + h] = swapped ? x + y : x - y;
  }
}

void pairs(double* v, std::uint32_t L) {
  for (std::uint32_t j = 0; j + 1 < L; j += 2) {
    const double sum = v[j] + v[j + 1];
    v[j + 1] = reference::walshPairDifference(sum, v[j + 1]);
    v[j] = sum;
  }
}

// Depth-first: both halves completely, then the stage that joins them.
void depthFirst(double* v, std::uint32_t n) {
  if (n <= 2) return pairs(v, n);
  depthFirst(v, n / 2);
  depthFirst(v + n / 2, n / 2);
  int s = 0;
  while ((2u << s) < n) ++s;
  // Stage s on this block only: its pairs never leave the block.
  const std::uint32_t h = n / 2;
  for (std::uint32_t t = 0; t < h; ++t) {
    const double x = v[t], y = v[t + h];
    const bool swapped = (t >> (s - 1)) & 1u;
    v[t] = swapped ? x - y : x + y;
    v[t + h] = swapped ? x + y : x - y;
  }
}

std::vector<double> otherSchedule(const std::vector<double>& A, std::int32_t M, std::int32_t N, bool recursive) {
  const int k = walsh::stageCount(M);
  const std::uint32_t L = 1u << k;
  std::vector<double> W(static_cast<std::size_t>(L) * N), v(L);
  for (std::int32_t c = 0; c < N; ++c) {
    std::fill(v.begin(), v.end(), 0.0);
    std::copy(A.begin() + c * M, A.begin() + (c + 1) * M, v.begin());
    if (recursive) {
      depthFirst(v.data(), L);
    } else {
      pairs(v.data(), L);
      for (int s = 1; s < k; ++s) naturalStage(v.data(), L, s);
    }
    for (std::uint32_t n = 0; n < L; ++n) W[c * L + reverseBits(n, k)] = v[n] / L;
  }
  return W;
}

TEST(WalshDataFlow, AnyScheduleOfTheSameOperandPairsGivesTheSameBits) {
  std::mt19937_64 rng(6);
  for (std::int32_t M = 0; M <= 2100; M += kSweepStep) {
    const std::int32_t N = 4;
    const std::vector<double> A = randomColumns(rng, M, N, M);
    const std::vector<double> want = reference::seqSpectrum(A, M, N);
    ASSERT_TRUE(sameBits(otherSchedule(A, M, N, false), want)) << "in place, M = " << M;
    ASSERT_TRUE(sameBits(otherSchedule(A, M, N, true), want)) << "depth first, M = " << M;
  }
  // What a schedule must not do: write x - y as -(y - x). Rounding to nearest
  // is symmetric, but an exact zero is +0 one way and -0 the other.
  volatile double x = 1.5;
  EXPECT_NE(bits(x - x), bits(-(x - x)));
}

INSTANTIATE_TEST_SUITE_P(EveryPath, WalshPath,
                         ::testing::ValuesIn(cpu::kIsas),
                         [](const ::testing::TestParamInfo<cpu::Isa>& info) { return cpu::name(info.param); });

}  // namespace
