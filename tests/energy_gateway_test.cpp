// cyclicEnergy as shipped, called through the test host: argument counts,
// bad input with its identifiers, classes and shapes, results.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "reference/energy_reference.h"
#include "support.h"

namespace {

using support::Args;
using support::errorId;
using support::failedWith;
using support::output;
using support::sameBits;
using support::succeeded;
using testhost::makeArray;
using testhost::makeDouble;

const char kUsage[] = "Usage: ell = cycEnergy (p, rM, iM, m, n, np)";
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// The worked example: a 2-by-3 grid, positions 1 and 4.
const std::vector<double> kRe{1, 2, 3, 4, 5, 6}, kIm{0, 1, 0, 1, 0, 1};
const std::vector<double> kEll{38, 30, 14, 18, 42, 46};

testhost::CallResult run(Args args, int nlhs = 1) { return support::call("cyclicEnergy", nlhs, args); }

testhost::Array row(const std::vector<double>& v) { return makeDouble(1, v.size(), v); }

testhost::Array typed(mxClassID cls, std::size_t m, std::size_t n, const std::vector<double>& v) {
  testhost::Array a = makeArray(cls, m, n);
  testhost::fill(a.get(), v);
  return a;
}

Args example(testhost::Array p, double m = 2, double n = 3, double np = 2) {
  return Args(std::move(p), makeDouble(2, 3, kRe), makeDouble(2, 3, kIm), m, n, np);
}

// The output is a 1-by-m*n row.
::testing::AssertionResult isRow(const testhost::CallResult& r, std::size_t cols) {
  if (!r.ok) return ::testing::AssertionFailure() << "raised [" << r.id << "] " << r.message;
  const mxArray* a = r.outputs.at(0).get();
  if (testhost::rows(a) != 1 || testhost::cols(a) != cols)
    return ::testing::AssertionFailure()
           << testhost::rows(a) << "-by-" << testhost::cols(a) << ", not 1-by-" << cols;
  return ::testing::AssertionSuccess();
}

TEST(CyclicEnergy, WorkedExample) {
  const auto r = run(example(row({1, 4})));
  ASSERT_TRUE(succeeded(r));
  ASSERT_TRUE(isRow(r, 6));
  EXPECT_TRUE(sameBits(output(r), kEll));
  // The host calls: one output, created once, and no scratch memory.
  int created = 0;
  for (const std::string& call : r.log) {
    created += call.rfind("mxCreateDoubleMatrix_700", 0) == 0;
    EXPECT_NE(call.rfind("mxCalloc", 0), 0u) << call;
  }
  EXPECT_EQ(created, 1);
  EXPECT_EQ(r.arraysCreated, 1u);
}

TEST(CyclicEnergy, ArgumentCountsComeFirst) {
  for (int nrhs : {0, 5, 7}) {
    Args args(row({1, 4}), makeDouble(2, 3, kRe), makeDouble(2, 3, kIm), 2, 3, 2, 1);
    Args cut;
    for (int k = 0; k < nrhs; ++k) cut.add(testhost::makeScalar(k < 3 ? 1.0 : 2.0));
    const auto r = run(nrhs == 7 ? std::move(args) : std::move(cut));
    EXPECT_TRUE(failedWith(r, kUsage)) << "nrhs " << nrhs;
    EXPECT_EQ(r.log, std::vector<std::string>{"mexErrMsgTxt"}) << "nothing read before";
  }
  const auto two = run(example(row({1, 4})), 2);
  EXPECT_TRUE(failedWith(two, kUsage));
  EXPECT_EQ(two.log, std::vector<std::string>{"mexErrMsgTxt"});
  // Bad parameters too: the count message still wins.
  EXPECT_TRUE(failedWith(run(example(row({1, 4}), kNaN, -1, 2), 2), kUsage));

  // No output requested: the result still goes to the first slot.
  const auto none = run(example(row({1, 4})), 0);
  ASSERT_TRUE(succeeded(none));
  EXPECT_TRUE(sameBits(output(none), kEll));
}

TEST(CyclicEnergy, ShapesAreIgnored) {
  std::mt19937 rng(5);
  const support::Uniform u(-3.0, 3.0);
  const std::size_t m = 7, n = 5, cells = m * n;
  std::vector<double> re(cells), im(cells), p{35, 1, 17.5, 17, 2, 2, 30};
  for (std::size_t e = 0; e < cells; ++e) re[e] = u(rng), im[e] = u(rng);
  const std::vector<double> want = reference::cyclicEnergy(p, re, im, 7, 5, 7);
  for (int shape = 0; shape < 4; ++shape) {
    // Matrices, a row and a column, and longer arrays than the grid needs.
    const std::size_t fm = shape == 0 ? m : shape == 1 ? 1 : shape == 2 ? cells : 6;
    const std::size_t fn = shape == 0 ? n : shape == 1 ? cells : shape == 2 ? 1 : 7;
    std::vector<double> r2 = re, i2 = im;
    r2.resize(fm * fn, kNaN);
    i2.resize(fm * fn, kNaN);
    const auto r = run(Args(shape % 2 ? makeDouble(p.size(), 1, p) : row(p), makeDouble(fm, fn, r2),
                            makeDouble(fm, fn, i2), 7, 5, 7));
    ASSERT_TRUE(succeeded(r)) << shape;
    ASSERT_TRUE(isRow(r, cells));
    EXPECT_TRUE(sameBits(output(r), want)) << shape;
  }
}

TEST(CyclicEnergy, CountsAndFractions) {
  // Parameters truncate toward zero: 2.7 rows, 3.9 columns, 2.5 positions.
  auto r = run(example(row({1.5, 4.9}), 2.7, 3.9, 2.5));
  ASSERT_TRUE(succeeded(r));
  EXPECT_TRUE(sameBits(output(r), kEll));
  // Only the first np positions are read: the rest may be anything.
  r = run(example(row({1, 4, kNaN, 0, 99}), 2, 3, 2));
  ASSERT_TRUE(succeeded(r));
  EXPECT_TRUE(sameBits(output(r), kEll));
  // Repeats count twice.
  r = run(example(row({4, 1, 4, 1}), 2, 3, 4));
  ASSERT_TRUE(succeeded(r));
  EXPECT_EQ(output(r), (std::vector<double>{76, 60, 28, 36, 84, 92}));
  // np of 0 or less: zeros, with any p, also an empty one.
  for (double np : {0.0, -1.0, -0.5, -2147483648.0}) {
    r = run(example(makeDouble(0, 0), 2, 3, np));
    ASSERT_TRUE(succeeded(r)) << np;
    EXPECT_TRUE(sameBits(output(r), std::vector<double>(6, 0.0))) << np;
  }
  // An empty grid: a 1-by-0 row, and no position is looked at.
  for (auto mn : {std::pair<double, double>{0, 3}, {2, 0}, {0, 0}, {0.9, 5}}) {
    r = run(Args(row({0, kNaN}), makeDouble(0, 0), makeDouble(0, 0), mn.first, mn.second, 2));
    ASSERT_TRUE(succeeded(r)) << mn.first << "x" << mn.second;
    EXPECT_TRUE(isRow(r, 0));
  }
}

TEST(CyclicEnergy, SingleRowGrid) {
  const auto r = run(Args(row({2, 5, 2}), row({1, 2, 3, 4, 5}), row({0, 1, 0, 0, 0}), 1, 5, 3));
  ASSERT_TRUE(succeeded(r));
  // E = [1 5 9 16 25]; ell[i] = E[i - 1] + E[i - 4] + E[i - 1], cyclically.
  EXPECT_EQ(output(r), (std::vector<double>{25 + 5 + 25, 1 + 9 + 1, 5 + 16 + 5, 9 + 25 + 9, 16 + 1 + 16}));
}

TEST(CyclicEnergy, BadParameters) {
  for (int slot = 3; slot <= 5; ++slot) {
    for (double v : {kNaN, kInf, -kInf, 2147483648.0, -2147483649.0, 1e300}) {
      double prm[3] = {2, 3, 2};
      prm[slot - 3] = v;
      EXPECT_EQ(errorId(run(example(row({1, 4}), prm[0], prm[1], prm[2]))), "cyclicEnergy:badParameter")
          << "slot " << slot << " = " << v;
    }
    for (int kind = 0; kind < 3; ++kind) {
      Args args(row({1, 4}), makeDouble(2, 3, kRe), makeDouble(2, 3, kIm));
      for (int k = 3; k <= 5; ++k) {
        if (k != slot)
          args.add(testhost::makeScalar(k == 4 ? 3 : 2));
        else if (kind == 0)
          args.add(makeDouble(0, 0));
        else if (kind == 1)
          args.add(makeArray(mxCHAR_CLASS, 1, 1));
        else
          args.add(testhost::makeSparse(1, 1, 1));
      }
      EXPECT_EQ(errorId(run(std::move(args))), "cyclicEnergy:badParameter") << slot << " kind " << kind;
    }
  }
  // Integer and logical scalars are parameters like any other.
  const auto r = run(Args(row({1, 4}), makeDouble(2, 3, kRe), makeDouble(2, 3, kIm),
                          typed(mxINT32_CLASS, 1, 1, {2}), typed(mxUINT8_CLASS, 1, 1, {3}),
                          typed(mxSINGLE_CLASS, 1, 1, {2.5})));
  ASSERT_TRUE(succeeded(r));
  EXPECT_TRUE(sameBits(output(r), kEll));
}

TEST(CyclicEnergy, SizesOutsideTheLimits) {
  EXPECT_EQ(errorId(run(example(row({1, 4}), -2, 3, 2))), "cyclicEnergy:negativeSize");
  EXPECT_EQ(errorId(run(example(row({1, 4}), 2, -1, 2))), "cyclicEnergy:negativeSize");
  EXPECT_EQ(errorId(run(example(row({1, 4}), -1, 0, 2))), "cyclicEnergy:negativeSize");
  EXPECT_EQ(errorId(run(example(row({1, 4}), 65536, 32768, 2))), "cyclicEnergy:tooLarge");
  EXPECT_EQ(errorId(run(example(row({1, 4}), 46341, 46341, 2))), "cyclicEnergy:tooLarge");
  EXPECT_EQ(errorId(run(example(row({1, 4}), 2147483647, 2, 0))), "cyclicEnergy:tooLarge");
  // 2^31 - 1 points is the largest grid: here the fields are too short for it.
  EXPECT_EQ(errorId(run(example(row({1, 4}), 2147483647, 1, 2))), "cyclicEnergy:tooFewElements");
  EXPECT_EQ(errorId(run(example(row({1, 4}), 1, 2147483647, 0))), "cyclicEnergy:tooFewElements");
}

TEST(CyclicEnergy, FieldsMustCoverTheGrid) {
  auto fields = [](std::size_t re, std::size_t im, double m, double n) {
    return run(Args(row({1}), makeDouble(1, re), makeDouble(im, 1), m, n, 1));
  };
  EXPECT_EQ(errorId(fields(5, 6, 2, 3)), "cyclicEnergy:tooFewElements");
  EXPECT_EQ(errorId(fields(6, 5, 2, 3)), "cyclicEnergy:tooFewElements");
  EXPECT_EQ(errorId(fields(0, 0, 1, 1)), "cyclicEnergy:tooFewElements");
  EXPECT_EQ(errorId(fields(6, 6, 2, 4)), "cyclicEnergy:tooFewElements");
  EXPECT_TRUE(succeeded(fields(6, 6, 2, 3)));
  // Also when no term is added: the fields do not fit the grid.
  EXPECT_EQ(errorId(run(Args(row({}), makeDouble(1, 5), makeDouble(1, 6), 2, 3, 0))),
            "cyclicEnergy:tooFewElements");
}

TEST(CyclicEnergy, PositionsAreChecked) {
  // np beyond the length of p.
  EXPECT_EQ(errorId(run(example(row({1, 4}), 2, 3, 3))), "cyclicEnergy:tooFewPositions");
  EXPECT_EQ(errorId(run(example(makeDouble(0, 0), 2, 3, 1))), "cyclicEnergy:tooFewPositions");
  EXPECT_EQ(errorId(run(example(makeDouble(0, 0), 0, 3, 1))), "cyclicEnergy:tooFewPositions");

  // Anything outside 1 .. 6 after truncation, in any of the first np places.
  for (double bad : {0.0, 0.5, -0.5, -1.0, 7.0, 7.25, 8.0, kNaN, kInf, -kInf, 4294967297.0}) {
    for (int at = 0; at < 3; ++at) {
      std::vector<double> p{1, 4, 6};
      p[at] = bad;
      const auto r = run(example(row(p), 2, 3, 3));
      EXPECT_EQ(errorId(r), "cyclicEnergy:positionOutOfRange") << bad << " at " << at;
    }
  }
  const auto r = run(example(row({1, 4, 7.5}), 2, 3, 3));
  EXPECT_TRUE(failedWith(r, "p(3) = 7.5 lies outside the grid positions 1 .. 6 after truncation",
                         "cyclicEnergy:positionOutOfRange"));
  // Integer positions too.
  EXPECT_EQ(errorId(run(example(typed(mxINT32_CLASS, 1, 2, {1, -4})))), "cyclicEnergy:positionOutOfRange");
  EXPECT_EQ(errorId(run(example(typed(mxUINT8_CLASS, 1, 2, {0, 4})))), "cyclicEnergy:positionOutOfRange");
  EXPECT_EQ(errorId(run(example(typed(mxLOGICAL_CLASS, 1, 2, {1, 0})))), "cyclicEnergy:positionOutOfRange");
  testhost::Array huge = makeArray(mxUINT64_CLASS, 1, 2);
  static_cast<std::uint64_t*>(testhost::realData(huge.get()))[0] = 1;
  static_cast<std::uint64_t*>(testhost::realData(huge.get()))[1] = ~std::uint64_t{0};
  EXPECT_EQ(errorId(run(example(std::move(huge)))), "cyclicEnergy:positionOutOfRange");
}

TEST(CyclicEnergy, SparseAndNonNumericInputs) {
  for (int slot = 0; slot < 3; ++slot) {
    for (int kind = 0; kind < 3; ++kind) {
      Args args;
      for (int k = 0; k < 3; ++k) {
        if (k != slot)
          args.add(k == 0 ? row({1, 4}) : makeDouble(2, 3, k == 1 ? kRe : kIm));
        else if (kind == 0)
          args.add(testhost::makeSparse(k == 0 ? 1 : 2, k == 0 ? 2 : 3, 2));
        else if (kind == 1)
          args.add(makeArray(mxCHAR_CLASS, 2, 3));
        else
          args.add(makeArray(mxCELL_CLASS, 2, 3));
      }
      args.add(2), args.add(3), args.add(2);
      EXPECT_EQ(errorId(run(std::move(args))),
                kind == 0 ? "cyclicEnergy:sparseInput" : "cyclicEnergy:badInput")
          << "slot " << slot << " kind " << kind;
    }
  }
}

TEST(CyclicEnergy, ClassesConvertToDouble) {
  // Every numeric and logical class, in every input: values converted exactly.
  const std::vector<mxClassID> classes{mxDOUBLE_CLASS, mxSINGLE_CLASS, mxINT8_CLASS,   mxUINT8_CLASS,
                                       mxINT16_CLASS,  mxUINT16_CLASS, mxINT32_CLASS,  mxUINT32_CLASS,
                                       mxINT64_CLASS,  mxUINT64_CLASS};
  const std::size_t m = 23, n = 13, cells = m * n;  // several conversion chunks
  std::mt19937 rng(17);
  std::uniform_int_distribution<int> val(0, 120), pos(1, 127);  // int8 can hold them
  std::vector<double> re(cells), im(cells), p(50);
  for (std::size_t e = 0; e < cells; ++e) re[e] = val(rng), im[e] = val(rng);
  for (double& v : p) v = pos(rng);
  const std::vector<double> want = reference::cyclicEnergy(p, re, im, m, n, 50);
  for (std::size_t c = 0; c < classes.size(); ++c) {
    const mxClassID a = classes[c], b = classes[(c + 3) % classes.size()], d = classes[(c + 7) % classes.size()];
    const auto r = run(Args(typed(a, 1, 50, p), typed(b, m, n, re), typed(d, cells, 1, im), m, n, 50));
    ASSERT_TRUE(succeeded(r)) << a << " " << b << " " << d;
    EXPECT_TRUE(sameBits(output(r), want)) << a << " " << b << " " << d;
  }
  // Logical: true is 1, as a position and as a field value.
  const auto r = run(Args(typed(mxLOGICAL_CLASS, 1, 3, {1, 1, 1}), typed(mxLOGICAL_CLASS, 2, 3, {1, 0, 0, 1, 1, 0}),
                          typed(mxLOGICAL_CLASS, 2, 3, {1, 1, 0, 0, 0, 0}), 2, 3, 3));
  ASSERT_TRUE(succeeded(r));
  EXPECT_EQ(output(r), (std::vector<double>{6, 3, 0, 3, 3, 0}));
  // Large single values: squared in double, not in single.
  const auto s = run(Args(row({1}), typed(mxSINGLE_CLASS, 1, 1, {1e30}), typed(mxSINGLE_CLASS, 1, 1, {3e-30}), 1, 1, 1));
  ASSERT_TRUE(succeeded(s));
  const double f = static_cast<float>(1e30), g = static_cast<float>(3e-30);
  EXPECT_TRUE(sameBits(output(s), {0.0 + (f * f + g * g)}));
}

TEST(CyclicEnergy, ComplexInputsGiveTheirRealParts) {
  const auto r = run(Args(makeDouble(1, 2, {1, 4}, {9, 9}), makeDouble(2, 3, kRe, kRe), makeDouble(2, 3, kIm, kRe),
                          2, 3, 2));
  ASSERT_TRUE(succeeded(r));
  EXPECT_TRUE(sameBits(output(r), kEll));
  EXPECT_FALSE(testhost::isComplex(r.outputs[0].get()));
  testhost::Array p = makeArray(mxINT32_CLASS, 1, 2, true);
  testhost::fill(p.get(), {1, 4});
  std::memset(testhost::imagData(p.get()), 0xff, 2 * sizeof(std::int32_t));
  const auto c = run(example(std::move(p)));
  ASSERT_TRUE(succeeded(c));
  EXPECT_TRUE(sameBits(output(c), kEll));
}

TEST(CyclicEnergy, MatchesReferenceOnRandomCalls) {
  std::mt19937 rng(99);
  std::uniform_int_distribution<int> side(1, 40);
  const support::Uniform u(-1e4, 1e4);
  for (int t = 0; t < 60; ++t) {
    const int m = side(rng), n = side(rng), cells = m * n;
    const int np = std::uniform_int_distribution<int>(0, 2 * cells)(rng);
    std::vector<double> re(cells), im(cells), p(np + 1);
    for (int e = 0; e < cells; ++e) re[e] = u(rng), im[e] = e % 5 ? u(rng) * 1e-6 : u(rng);
    for (double& v : p) v = std::uniform_int_distribution<int>(1, cells)(rng) + 0.25 * (t % 4);
    const auto r = run(Args(row(p), makeDouble(m, n, re), makeDouble(m, n, im), m, n, np));
    ASSERT_TRUE(succeeded(r));
    ASSERT_TRUE(isRow(r, cells));
    EXPECT_TRUE(sameBits(output(r), reference::cyclicEnergy(p, re, im, m, n, np))) << m << "x" << n;
  }
}

}  // namespace
