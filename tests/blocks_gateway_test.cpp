// imgToBlocks and blocksToImg as shipped, called through the test host:
// argument counts, messages and their order, bad input, classes, results.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "reference/blocks_reference.h"
#include "support.h"

namespace {

using support::Args;
using support::call;
using support::errorId;
using support::failedWith;
using support::output;
using support::sameBits;
using support::succeeded;
using testhost::makeArray;
using testhost::makeDouble;

const char kUsageCut[] = "Usage: X = imgToBlocks (Y,n1,n2,N1,N2,rowSt,colSt)";
const char kUsagePaste[] = "Usage: Y = blocksToImage (X,n1,n2,N1,N2,rowSt,colSt)";
const char kStart[] = "Start point is not correct";
const char kColumns[] = "The input matrix X has not enough columns";
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

std::vector<double> numbered(std::size_t n, double first = 0.0) {
  std::vector<double> v(n);
  for (std::size_t k = 0; k < n; ++k) v[k] = first + static_cast<double>(k);
  return v;
}

testhost::Array image(std::size_t N1, std::size_t N2) {
  return makeDouble(N1, N2, numbered(N1 * N2));
}

// The six parameters of the top band example.
Args cutArgs(testhost::Array Y, double n1 = 3, double n2 = 2, double N1 = 6, double N2 = 5,
             double rowSt = 2, double colSt = 1) {
  return Args(std::move(Y), n1, n2, N1, N2, rowSt, colSt);
}

TEST(ImgToBlocks, TopBandExample) {
  const auto r = call("imgToBlocks", 1, cutArgs(image(6, 5)));
  ASSERT_TRUE(succeeded(r));
  EXPECT_EQ(testhost::rows(r.outputs[0].get()), 6u);
  const std::vector<double> X = output(r);
  ASSERT_EQ(X.size(), 54u);
  EXPECT_EQ(std::vector<double>(X.begin() + 12, X.begin() + 18),
            (std::vector<double>{0, 0, 0, 24, 0, 0}));
  EXPECT_EQ(std::vector<double>(X.begin() + 48, X.end()), (std::vector<double>{0, 0, 0, 0, 28, 29}));
  EXPECT_TRUE(sameBits(X, reference::imgToBlocks(numbered(30), {3, 2, 6, 5, 2, 1})));
}

TEST(ImgToBlocks, ShapeOfYIsIgnored) {
  const auto r = call("imgToBlocks", 1, cutArgs(image(4, 4), 2, 2, 2, 8, 1, 1));
  ASSERT_TRUE(succeeded(r));
  EXPECT_TRUE(sameBits(output(r), reference::imgToBlocks(numbered(16), {2, 2, 2, 8, 1, 1})));
}

TEST(ImgToBlocks, EmptyAndTinyImages) {
  auto r = call("imgToBlocks", 1, cutArgs(makeDouble(0, 0), 3, 2, 0, 5, 1, 1));
  ASSERT_TRUE(succeeded(r));
  EXPECT_EQ(testhost::rows(r.outputs[0].get()), 6u);
  EXPECT_EQ(testhost::cols(r.outputs[0].get()), 0u);

  r = call("imgToBlocks", 1, cutArgs(image(2, 3), 5, 2, 2, 3, 1, 1));  // smaller than a block
  ASSERT_TRUE(succeeded(r));
  EXPECT_EQ(output(r), (std::vector<double>{0, 0, 0, 0, 1, 0, 0, 0, 2, 3,  //
                                            0, 0, 0, 0, 0, 0, 0, 0, 4, 5}));
}

TEST(BlocksToImg, TopBandExampleReadsOnlyPairedPositions) {
  // Unpaired positions hold NaN: none of them may reach Y.
  const auto pr = reference::pairing({3, 2, 6, 5, 2, 1});
  std::vector<double> X(54, kNaN);
  for (const auto& q : pr.pairs) X[q.row + q.block * 6] = static_cast<double>(q.i + q.j * 6);
  const auto r = call("blocksToImg", 1, cutArgs(makeDouble(6, 9, X)));
  ASSERT_TRUE(succeeded(r));
  EXPECT_EQ(testhost::rows(r.outputs[0].get()), 6u);
  EXPECT_EQ(testhost::cols(r.outputs[0].get()), 5u);
  EXPECT_TRUE(sameBits(output(r), numbered(30)));
}

TEST(BlocksToImg, RoundTripThroughBothPlugins) {
  for (const auto& p : std::vector<reference::GridInput>{
           {8, 8, 37, 29, 1, 1}, {8, 8, 37, 29, 5, 1}, {4, 6, 13, 40, 1, 5}, {2, 2, 1, 1, 1, 1}}) {
    const std::vector<double> Y = numbered(static_cast<std::size_t>(p.N1 * p.N2), -7.25);
    const double n1 = p.n1, n2 = p.n2, N1 = p.N1, N2 = p.N2, rs = p.rowSt, cs = p.colSt;
    auto cut = call("imgToBlocks", 1, Args(makeDouble(p.N1, p.N2, Y), n1, n2, N1, N2, rs, cs));
    ASSERT_TRUE(succeeded(cut));
    const mxArray* X = cut.outputs[0].get();
    auto back = call("blocksToImg", 1,
                     Args(makeDouble(testhost::rows(X), testhost::cols(X), output(cut)), n1, n2, N1, N2, rs, cs));
    ASSERT_TRUE(succeeded(back));
    EXPECT_TRUE(sameBits(output(back), Y));
  }
}

TEST(BlockGateways, ArgumentCountsComeFirst) {
  for (const char* fn : {"imgToBlocks", "blocksToImg"}) {
    const char* usage = std::string(fn) == "imgToBlocks" ? kUsageCut : kUsagePaste;
    for (int nlhs : {0, 2}) {
      const auto r = call(fn, nlhs, cutArgs(image(6, 5)));
      EXPECT_TRUE(failedWith(r, usage)) << fn << " nlhs " << nlhs;
      EXPECT_EQ(r.log, std::vector<std::string>{"mexErrMsgTxt"}) << "nothing read before";
    }
    EXPECT_TRUE(failedWith(call(fn, 1, Args(image(6, 5), 3, 2, 6, 5, 2)), usage));
    EXPECT_TRUE(failedWith(call(fn, 1, Args(image(6, 5), 3, 2, 6, 5, 2, 1, 1)), usage));
    EXPECT_TRUE(failedWith(call(fn, 1, Args()), usage));
    // A bad start point too: the count message still wins.
    EXPECT_TRUE(failedWith(call(fn, 2, cutArgs(image(6, 5), 3, 3, 6, 5, 2, 2)), usage));
  }
}

TEST(BlockGateways, StartPointRule) {
  for (const char* fn : {"imgToBlocks", "blocksToImg"}) {
    auto run = [&](double n1, double n2, double rowSt, double colSt) {
      return call(fn, 1, cutArgs(image(6, 5), n1, n2, 6, 5, rowSt, colSt));
    };
    EXPECT_TRUE(failedWith(run(3, 2, 3, 1), kStart)) << fn;
    EXPECT_TRUE(failedWith(run(3, 3, 2, 2), kStart)) << fn;
    EXPECT_TRUE(failedWith(run(1, 2, 1, 1), kStart)) << fn;
    EXPECT_TRUE(failedWith(run(2, 1, 1, 1), kStart)) << fn;
    EXPECT_TRUE(failedWith(run(3, 2, 0, 1), kStart)) << fn;   // below 1
    EXPECT_TRUE(failedWith(run(3, 2, 1, -3), kStart)) << fn;
    EXPECT_TRUE(failedWith(run(3.99, 2, 3, 1), kStart)) << fn << ": n1 = 3.99 acts as 3";
    EXPECT_TRUE(failedWith(run(3, 2, 3.2, 1), kStart)) << fn << ": rowSt = 3.2 acts as 3";
  }
  // Truncated toward zero before the rule: rowSt 2.9 -> 2, colSt 1.9 -> 1.
  const auto r = call("imgToBlocks", 1, cutArgs(image(6, 5), 3.5, 2.5, 6.9, 5.2, 2.9, 1.9));
  ASSERT_TRUE(succeeded(r));
  EXPECT_TRUE(sameBits(output(r), reference::imgToBlocks(numbered(30), {3, 2, 6, 5, 2, 1})));
  const auto back = call("blocksToImg", 1, cutArgs(makeDouble(6, 9, output(r)), 3.5, 2.5, 6.9, 5.2, 2.9, 1.9));
  ASSERT_TRUE(succeeded(back));
  EXPECT_TRUE(sameBits(output(back), numbered(30)));
}

TEST(BlocksToImg, ColumnCountMustMatchExactly) {
  for (std::size_t cols : {8u, 10u, 0u})
    EXPECT_TRUE(failedWith(call("blocksToImg", 1, cutArgs(makeDouble(6, cols))), kColumns)) << cols;
  // The start point is tested before the columns.
  EXPECT_TRUE(failedWith(call("blocksToImg", 1, cutArgs(makeDouble(6, 8), 3, 2, 6, 5, 3, 1)), kStart));
}

TEST(BlocksToImg, RowCountMustBeTheBlockLength) {
  // Seven rows would be read as runs of six from the start of the data.
  EXPECT_EQ(errorId(call("blocksToImg", 1, cutArgs(makeDouble(7, 9)))), "blocksToImg:badRowCount");
  EXPECT_EQ(errorId(call("blocksToImg", 1, cutArgs(makeDouble(5, 9)))), "blocksToImg:badRowCount");
  EXPECT_EQ(errorId(call("blocksToImg", 1, cutArgs(makeDouble(1, 9)))), "blocksToImg:badRowCount");
  // With no blocks nothing is read: any empty X will do.
  for (std::size_t rows : {0u, 6u, 3u}) {
    const auto r = call("blocksToImg", 1, cutArgs(makeDouble(rows, 0), 3, 2, 0, 5, 1, 1));
    ASSERT_TRUE(succeeded(r)) << rows;
    EXPECT_EQ(testhost::rows(r.outputs[0].get()), 0u);
    EXPECT_EQ(testhost::cols(r.outputs[0].get()), 5u);
  }
}

TEST(BlockGateways, BadParametersAreRefusedWithoutTouchingMemory) {
  const double bad[] = {kNaN, kInf, -kInf, 2147483648.0, -2147483649.0, 1e300};
  for (const char* fn : {"imgToBlocks", "blocksToImg"}) {
    const std::string id = std::string(fn) + ":badParameter";
    for (int slot = 1; slot <= 6; ++slot) {
      for (double v : bad) {
        double p[7] = {0, 3, 2, 6, 5, 2, 1};
        p[slot] = v;
        const auto r = call(fn, 1, cutArgs(makeDouble(6, 9), p[1], p[2], p[3], p[4], p[5], p[6]));
        EXPECT_EQ(errorId(r), id) << fn << " slot " << slot << " = " << v;
      }
      for (int kind = 0; kind < 3; ++kind) {
        Args args(makeDouble(6, 9));
        for (int k = 1; k <= 6; ++k) {
          if (k != slot) {
            args.add(testhost::makeScalar(k == 1 ? 3 : k == 2 ? 2 : k == 3 ? 6 : k == 4 ? 5 : k == 5 ? 2 : 1));
          } else if (kind == 0) {
            args.add(makeDouble(0, 0));  // empty
          } else if (kind == 1) {
            args.add(makeArray(mxCHAR_CLASS, 1, 1));
          } else {
            args.add(testhost::makeSparse(1, 1, 1));
          }
        }
        EXPECT_EQ(errorId(call(fn, 1, args)), id) << fn << " slot " << slot << " kind " << kind;
      }
    }
  }
  // The extremes of the 32-bit range convert: -2^31 - 0.5 truncates to -2^31.
  EXPECT_TRUE(failedWith(call("imgToBlocks", 1, cutArgs(image(6, 5), 3, 2, 6, 5, -2147483648.5, 1)), kStart));
  EXPECT_EQ(errorId(call("imgToBlocks", 1, cutArgs(image(6, 5), 2147483647.9, 2, 6, 5, 1, 1))),
            "imgToBlocks:tooLarge");
}

TEST(BlockGateways, SizesOutsideTheLimits) {
  for (const char* fn : {"imgToBlocks", "blocksToImg"}) {
    const std::string f(fn);
    EXPECT_EQ(errorId(call(fn, 1, cutArgs(makeDouble(6, 9), 3, 2, -6, 5, 1, 1))), f + ":negativeSize");
    EXPECT_EQ(errorId(call(fn, 1, cutArgs(makeDouble(6, 9), 3, 2, 6, -1, 1, 1))), f + ":negativeSize");
    EXPECT_EQ(errorId(call(fn, 1, cutArgs(makeDouble(6, 9), 8, 2, 3, 5, 5, 1))), f + ":imageTooSmall");
    EXPECT_EQ(errorId(call(fn, 1, cutArgs(makeDouble(6, 9), 2, 8, 5, 3, 1, 5))), f + ":imageTooSmall");
    EXPECT_EQ(errorId(call(fn, 1, cutArgs(makeDouble(6, 9), 8, 8, 65536, 65536, 1, 1))), f + ":tooLarge");
    EXPECT_EQ(errorId(call(fn, 1, cutArgs(makeDouble(6, 9), 65536, 65536, 0, 0, 1, 1))), f + ":tooLarge");
  }
}

TEST(ImgToBlocks, YMustHoldTheWholeImage) {
  const auto r = call("imgToBlocks", 1, cutArgs(image(6, 4)));
  EXPECT_EQ(errorId(r), "imgToBlocks:tooFewElements");
  EXPECT_EQ(r.message, "Y holds 24 elements, fewer than N1*N2 = 30");
  EXPECT_EQ(errorId(call("imgToBlocks", 1, cutArgs(image(29, 1)))), "imgToBlocks:tooFewElements");
  EXPECT_EQ(errorId(call("imgToBlocks", 1, cutArgs(makeDouble(0, 0)))), "imgToBlocks:tooFewElements");
  EXPECT_TRUE(succeeded(call("imgToBlocks", 1, cutArgs(image(31, 1)))));  // more is fine
}

TEST(BlockGateways, DataClasses) {
  // Sparse and non-numeric data are refused.
  EXPECT_EQ(errorId(call("imgToBlocks", 1, cutArgs(testhost::makeSparse(6, 5, 3)))), "imgToBlocks:sparseInput");
  EXPECT_EQ(errorId(call("blocksToImg", 1, cutArgs(testhost::makeSparse(6, 9, 3)))), "blocksToImg:sparseInput");
  EXPECT_EQ(errorId(call("imgToBlocks", 1, cutArgs(makeArray(mxCHAR_CLASS, 6, 5)))), "imgToBlocks:badInput");
  EXPECT_EQ(errorId(call("blocksToImg", 1, cutArgs(makeArray(mxCELL_CLASS, 6, 9)))), "blocksToImg:badInput");

  // Every numeric and logical class converts to double; complex data give
  // their real parts.
  const std::vector<double> Y = numbered(30);
  const std::vector<double> want = reference::imgToBlocks(Y, {3, 2, 6, 5, 2, 1});
  for (mxClassID cls : {mxSINGLE_CLASS, mxINT8_CLASS, mxUINT8_CLASS, mxINT16_CLASS, mxUINT16_CLASS,
                        mxINT32_CLASS, mxUINT32_CLASS, mxINT64_CLASS, mxUINT64_CLASS}) {
    testhost::Array y = makeArray(cls, 6, 5);
    testhost::fill(y.get(), Y);
    const auto r = call("imgToBlocks", 1, cutArgs(std::move(y)));
    ASSERT_TRUE(succeeded(r)) << cls;
    EXPECT_TRUE(sameBits(output(r), want)) << cls;
    testhost::Array x = makeArray(cls, 6, 9);
    testhost::fill(x.get(), want);
    const auto back = call("blocksToImg", 1, cutArgs(std::move(x)));
    ASSERT_TRUE(succeeded(back)) << cls;
    EXPECT_TRUE(sameBits(output(back), Y)) << cls;
  }
  testhost::Array mask = makeArray(mxLOGICAL_CLASS, 6, 5);
  std::vector<double> bits(30);
  for (std::size_t k = 0; k < 30; ++k) bits[k] = k % 3 == 0;
  testhost::fill(mask.get(), bits);
  const auto r = call("imgToBlocks", 1, cutArgs(std::move(mask)));
  ASSERT_TRUE(succeeded(r));
  EXPECT_TRUE(sameBits(output(r), reference::imgToBlocks(bits, {3, 2, 6, 5, 2, 1})));

  std::vector<double> imag(30, 99.0);
  const auto c = call("imgToBlocks", 1, cutArgs(makeDouble(6, 5, Y, imag)));
  ASSERT_TRUE(succeeded(c));
  EXPECT_TRUE(sameBits(output(c), want));
  EXPECT_FALSE(testhost::isComplex(c.outputs[0].get()));
}

// The copies move bits: signalling NaNs, NaN payloads, signed zeros and
// subnormals arrive unchanged, also in the Win32 build.
TEST(BlockGateways, EveryBitPatternArrivesUnchanged) {
  const std::uint64_t patterns[] = {
      0x7FF0000000000001, 0xFFF4000000000000, 0x7FF7FFFFFFFFFFFF,  // signalling NaNs
      0x7FF8000000000123, 0xFFF8000000000000,                      // quiet NaNs
      0x8000000000000000, 0x0000000000000001, 0x800FFFFFFFFFFFFF,  // -0, subnormals
      0x7FF0000000000000, 0x7FEFFFFFFFFFFFFF, 0x3FF0000000000001};
  std::vector<double> Y(30);  // filled as memory: no value passes the x87 unit
  for (std::size_t k = 0; k < Y.size(); ++k) std::memcpy(&Y[k], &patterns[k % 11], sizeof(double));

  const auto cut = call("imgToBlocks", 1, cutArgs(makeDouble(6, 5, Y)));
  ASSERT_TRUE(succeeded(cut));
  const std::vector<double> X = output(cut);
  for (const auto& q : reference::pairing({3, 2, 6, 5, 2, 1}).pairs)
    EXPECT_EQ(support::bits(X[q.row + q.block * 6]), support::bits(Y[q.i + q.j * 6]))
        << "block " << q.block << " row " << q.row;

  const auto back = call("blocksToImg", 1, cutArgs(makeDouble(6, 9, X)));
  ASSERT_TRUE(succeeded(back));
  EXPECT_TRUE(sameBits(output(back), Y));
}

// Parameters are truncated toward zero whatever rounding mode (and, on the x87
// unit, whatever precision) the caller runs with, and the calls leave both as
// they found them.
TEST(BlockGateways, ParametersTruncateUnderEveryRoundingMode) {
  const std::vector<double> want = reference::imgToBlocks(numbered(30), {3, 2, 6, 5, 2, 1});
  // The arguments are made before the rounding mode changes: converting an
  // index to double can itself give -0 when rounding down.
  const Args cut = cutArgs(image(6, 5), 3.5, 2.5, 6.9, 5.2, 2.9, 1.9);
  const Args paste = cutArgs(image(6, 9), 3.5, 2.5, 6.9, 5.2, 2.9, 1.9);
  const Args none = cutArgs(makeDouble(0, 0), 3, 2, -0.5, 5, 1, 1);
  for (int precision : {64, 53}) {
    support::X87Precision unit(precision);
    for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
      ASSERT_EQ(std::fesetround(mode), 0);
      const unsigned controlWord = support::x87ControlWord();
      // Rounded to nearest, 2.9 would fail the start-point rule; rounded up,
      // 1.9 would too; rounded down, N1 = -0.5 would be negative.
      const auto r = call("imgToBlocks", 1, cut);
      const auto back = call("blocksToImg", 1, paste);
      const auto empty = call("imgToBlocks", 1, none);
      const int modeAfter = std::fegetround();
      const unsigned controlWordAfter = support::x87ControlWord();
      std::fesetround(FE_TONEAREST);

      ASSERT_TRUE(succeeded(r)) << "mode " << mode;
      EXPECT_TRUE(sameBits(output(r), want)) << "mode " << mode;
      ASSERT_TRUE(succeeded(back)) << "mode " << mode;
      EXPECT_EQ(testhost::rows(back.outputs[0].get()), 6u);
      ASSERT_TRUE(succeeded(empty)) << "mode " << mode;
      EXPECT_EQ(testhost::cols(empty.outputs[0].get()), 0u);
      EXPECT_EQ(modeAfter, mode);
      EXPECT_EQ(controlWordAfter, controlWord) << "precision " << precision << " mode " << mode;
    }
  }
}

}  // namespace
