// seqSpectrum as shipped, called through the test host: argument counts and
// their messages, the order of host calls and of the scratch buffers, bad
// input, sizes beyond the limits, classes, results.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "reference/walsh_reference.h"
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

const char kInputs[] = "Only one input arguments required.";
const char kOutputs[] = "Too many output arguments.";

testhost::CallResult run(int nlhs, Args args) { return support::call("seqSpectrum", nlhs, args); }
testhost::CallResult run(testhost::Array A) { return run(1, Args(std::move(A))); }

std::vector<double> numbered(std::size_t n) {
  std::vector<double> v(n);
  for (std::size_t k = 0; k < n; ++k) v[k] = static_cast<double>(k + 1);
  return v;
}

std::size_t rowsOf(const testhost::CallResult& r) { return testhost::rows(r.outputs.at(0).get()); }
std::size_t colsOf(const testhost::CallResult& r) { return testhost::cols(r.outputs.at(0).get()); }

TEST(SeqSpectrum, ArgumentCountsComeFirst) {
  for (int nlhs : {0, 1, 2, 3}) {
    for (int nrhs : {0, 2, 3}) {
      Args args;
      for (int k = 0; k < nrhs; ++k) args.add(makeDouble(3, 1, {1, 2, 3}));
      const auto r = run(nlhs, std::move(args));
      EXPECT_TRUE(failedWith(r, kInputs)) << "nlhs " << nlhs << ", nrhs " << nrhs;
      EXPECT_EQ(r.log, std::vector<std::string>{"mexErrMsgTxt"}) << "nothing read before";
    }
  }
  for (int nlhs : {2, 5}) {
    const auto r = run(nlhs, Args(makeDouble(3, 1, {1, 2, 3})));
    EXPECT_TRUE(failedWith(r, kOutputs)) << nlhs;
    EXPECT_EQ(r.log, std::vector<std::string>{"mexErrMsgTxt"});
  }
  // Bad input of every kind still loses to the counts.
  EXPECT_TRUE(failedWith(run(2, Args(testhost::makeSparse(3, 3, 1))), kOutputs));
  EXPECT_TRUE(failedWith(run(1, Args(makeArray(mxCHAR_CLASS, 3, 1), 1)), kInputs));
}

TEST(SeqSpectrum, WorkedExamplesAndNoOutputRequested) {
  for (int nlhs : {0, 1}) {
    const auto r = run(nlhs, Args(makeDouble(3, 1, {1, 2, 3})));
    ASSERT_TRUE(succeeded(r)) << nlhs;
    EXPECT_EQ(rowsOf(r), 4u);
    EXPECT_TRUE(sameBits(output(r), {1.5, 0, -1, 0.5}));
  }
  const auto r = run(makeDouble(8, 1, numbered(8)));
  ASSERT_TRUE(succeeded(r));
  EXPECT_TRUE(sameBits(output(r), {4.5, -2, 0, -1, 0, 0, 0, -0.5}));
}

// Input data end right before a guard page: sizes whose last rows fill part
// of a vector, alone and in batches of columns.
TEST(SeqSpectrum, MatchesReference) {
  std::mt19937_64 rng(7);
  const support::Uniform unit(-1.0, 1.0);
  for (std::size_t M : {2u, 5u, 13u, 37u, 64u, 100u, 1000u, 4097u}) {
    for (std::size_t N : {1u, 2u, 7u, 9u, 17u}) {
      std::vector<double> A(M * N);
      for (double& v : A) v = std::ldexp(unit(rng), static_cast<int>(rng() % 200) - 100);
      const auto r = run(makeDouble(M, N, A));
      ASSERT_TRUE(succeeded(r));
      EXPECT_EQ(rowsOf(r), static_cast<std::size_t>(1) << reference::walshStages(M));
      EXPECT_EQ(colsOf(r), N);
      EXPECT_TRUE(sameBits(output(r), reference::seqSpectrum(A, M, N))) << M << " by " << N;
    }
  }
}

// Sizes first, then the output, its data, the input's data, both buffers,
// the columns, and the buffers released: the one in the next role first.
TEST(SeqSpectrum, HostCallsAndScratchOrder) {
  const auto r = run(makeDouble(3, 2, numbered(6)));
  ASSERT_TRUE(succeeded(r));
  EXPECT_EQ(r.log, (std::vector<std::string>{
                       "mxIsNumeric(prhs[0])", "mxIsSparse(prhs[0])", "mxGetM(prhs[0])",
                       "mxGetN(prhs[0])", "mxCreateDoubleMatrix_700(4,2,0)", "mxGetPr(new0)",
                       "mxGetClassID(prhs[0])", "mxGetPr(prhs[0])", "mxCalloc(4,8)",
                       "mxCalloc(4,8)", "mxFree(scratch1)", "mxFree(scratch0)"}));

  // Each merge stage swaps the roles, and they carry over between columns.
  struct Case {
    std::size_t M, N;
    const char* freedFirst;
  };
  for (const Case& c : {Case{3, 1, "mxFree(scratch0)"}, Case{3, 2, "mxFree(scratch1)"},
                        Case{8, 1, "mxFree(scratch1)"}, Case{8, 3, "mxFree(scratch1)"},
                        Case{5, 3, "mxFree(scratch1)"}, Case{9, 3, "mxFree(scratch0)"},
                        Case{2, 5, "mxFree(scratch1)"}, Case{1, 4, "mxFree(scratch1)"},
                        Case{0, 2, "mxFree(scratch1)"}}) {
    const auto rc = run(makeDouble(c.M, c.N));
    ASSERT_TRUE(succeeded(rc)) << c.M << " by " << c.N;
    ASSERT_GE(rc.log.size(), 4u);
    const std::size_t L = static_cast<std::size_t>(1) << reference::walshStages(c.M);
    const std::string calloc = "mxCalloc(" + std::to_string(L) + ",8)";
    const std::vector<std::string> tail(rc.log.end() - 4, rc.log.end());
    const std::string second = std::string(c.freedFirst) == "mxFree(scratch0)" ? "mxFree(scratch1)" : "mxFree(scratch0)";
    EXPECT_EQ(tail, (std::vector<std::string>{calloc, calloc, c.freedFirst, second})) << c.M << " by " << c.N;
  }
}

TEST(SeqSpectrum, EmptyInputs) {
  auto r = run(makeDouble(0, 3));  // no rows: L = 1, all zeros
  ASSERT_TRUE(succeeded(r));
  EXPECT_EQ(rowsOf(r), 1u);
  EXPECT_TRUE(sameBits(output(r), {0, 0, 0}));

  // No columns: an L-by-0 result and no scratch, however long the columns
  // (the host may zero all 2^30 doubles of each buffer).
  for (std::size_t M : {5, 1 << 30}) {
    r = run(makeDouble(M, 0));
    ASSERT_TRUE(succeeded(r));
    EXPECT_EQ(rowsOf(r), static_cast<std::size_t>(1) << reference::walshStages(M));
    EXPECT_EQ(colsOf(r), 0u);
    EXPECT_EQ(r.log, (std::vector<std::string>{"mxIsNumeric(prhs[0])", "mxIsSparse(prhs[0])", "mxGetM(prhs[0])",
                                               "mxGetN(prhs[0])", "mxCreateDoubleMatrix_700(" + std::to_string(rowsOf(r)) + ",0,0)",
                                               "mxGetPr(new0)", "mxGetClassID(prhs[0])", "mxGetPr(prhs[0])"}));
  }

  r = run(makeDouble(0, 0));
  ASSERT_TRUE(succeeded(r));
  EXPECT_EQ(rowsOf(r), 1u);
  EXPECT_EQ(colsOf(r), 0u);

  const std::vector<double> row = {3.25, -0.0, 1e-310, -7};
  r = run(makeDouble(1, 4, row));  // one row: W = A
  ASSERT_TRUE(succeeded(r));
  EXPECT_TRUE(sameBits(output(r), row));
}

TEST(SeqSpectrum, HugeSecondValueGivesAFiniteDifference) {
  const double big = std::ldexp(1.0, 1023);
  const auto r = run(makeDouble(2, 1, {0, big}));
  ASSERT_TRUE(succeeded(r));
  EXPECT_TRUE(sameBits(output(r), {big / 2, -big / 2}));
}

TEST(SeqSpectrum, DataClasses) {
  EXPECT_EQ(errorId(run(testhost::makeSparse(4, 2, 3))), "seqSpectrum:sparseInput");
  EXPECT_EQ(errorId(run(makeArray(mxCHAR_CLASS, 4, 2))), "seqSpectrum:badInput");
  EXPECT_EQ(errorId(run(makeArray(mxCELL_CLASS, 4, 2))), "seqSpectrum:badInput");
  EXPECT_EQ(errorId(run(makeArray(mxSTRUCT_CLASS, 1, 1))), "seqSpectrum:badInput");

  // Every numeric and logical class converts to double exactly.
  const std::vector<double> A = {1, 2, 3, 100, 7, 0, 0, 5, 60, 1, 2, 9};
  const std::vector<double> want = reference::seqSpectrum(A, 3, 4);
  for (mxClassID cls : {mxSINGLE_CLASS, mxINT8_CLASS, mxUINT8_CLASS, mxINT16_CLASS, mxUINT16_CLASS,
                        mxINT32_CLASS, mxUINT32_CLASS, mxINT64_CLASS, mxUINT64_CLASS}) {
    testhost::Array a = makeArray(cls, 3, 4);
    testhost::fill(a.get(), A);
    const auto r = run(std::move(a));
    ASSERT_TRUE(succeeded(r)) << cls;
    EXPECT_TRUE(sameBits(output(r), want)) << cls;
  }
  // Values that a double reading of the bytes, or a float reading, would get wrong.
  testhost::Array s = makeArray(mxSINGLE_CLASS, 2, 1);
  testhost::fill(s.get(), {0.1, -1e-40});
  auto r = run(std::move(s));
  ASSERT_TRUE(succeeded(r));
  EXPECT_TRUE(sameBits(output(r), reference::seqSpectrum({double(0.1f), double(-1e-40f)}, 2, 1)));
  testhost::Array big = makeArray(mxINT64_CLASS, 1, 2);
  static_cast<std::int64_t*>(testhost::realData(big.get()))[0] = INT64_MIN;
  static_cast<std::int64_t*>(testhost::realData(big.get()))[1] = (std::int64_t{1} << 53) + 1;
  r = run(std::move(big));
  ASSERT_TRUE(succeeded(r));
  EXPECT_TRUE(sameBits(output(r), {-std::ldexp(1.0, 63), std::ldexp(1.0, 53)}));

  testhost::Array mask = makeArray(mxLOGICAL_CLASS, 3, 4);
  std::vector<double> flags(12);
  for (std::size_t k = 0; k < 12; ++k) flags[k] = k % 3 == 0;
  testhost::fill(mask.get(), flags);
  r = run(std::move(mask));
  ASSERT_TRUE(succeeded(r));
  EXPECT_TRUE(sameBits(output(r), reference::seqSpectrum(flags, 3, 4)));

  // Complex data contribute their real parts.
  r = run(makeDouble(3, 4, A, std::vector<double>(12, 99.0)));
  ASSERT_TRUE(succeeded(r));
  EXPECT_TRUE(sameBits(output(r), want));
  EXPECT_FALSE(testhost::isComplex(r.outputs[0].get()));
}

// Arrays that only report their size: the call must refuse it before any data
// are read or anything is created.
TEST(SeqSpectrum, SizesBeyondTheLimits) {
  const std::uint64_t two30 = std::uint64_t{1} << 30, two31 = std::uint64_t{1} << 31;
  struct Case {
    std::uint64_t M, N;
  };
  for (const Case& c : {Case{two30 + 1, 1}, Case{two31 - 1, 0}, Case{(std::uint64_t{1} << 32) + 3, 1},
                        Case{two30, 2}, Case{3, two30 / 2}, Case{(1u << 16) + 1, 1u << 14},
                        Case{0, two31}, Case{1, two31}, Case{5, two31 * 4}}) {
    if (c.M > SIZE_MAX || c.N > SIZE_MAX) continue;  // beyond a 32-bit host's sizes
    const auto r = run(testhost::makeDataless(static_cast<std::size_t>(c.M), static_cast<std::size_t>(c.N)));
    EXPECT_EQ(errorId(r), "seqSpectrum:tooLarge") << c.M << " by " << c.N;
    for (const std::string& call : r.log) EXPECT_EQ(call.find("Data"), std::string::npos) << call;
    for (const std::string& call : r.log) EXPECT_EQ(call.find("mxGetPr"), std::string::npos) << call;
  }
}

}  // namespace
