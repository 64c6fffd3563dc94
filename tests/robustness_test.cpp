// What fuzzing and the sanitized runs found, kept as tests through the test
// host: each case is a call that once crashed, leaked, read out of bounds or
// ran far longer than its output justifies.
#include <gtest/gtest.h>

#include "support.h"

namespace {

using support::Args;
using support::call;
using support::succeeded;
using testhost::makeDouble;

// With N1 = 0 there is no block, but the grid still has about N2/n2 empty grid
// columns; the copies used to walk all of them, a billion for N2 = 2^31 - 1:
// a second per call for an empty result (fuzzing timed out on it under the
// sanitizers). Now no block means no work.
TEST(Robustness, NoBlocksMeansNoWorkHoweverWideTheGrid) {
  const double wide = 2147483647.0;
  auto r = call("imgToBlocks", 1, Args(makeDouble(0, 0), 3, 2, 0, wide, 1, 1));
  ASSERT_TRUE(succeeded(r));
  EXPECT_EQ(testhost::rows(r.outputs[0].get()), 6u);
  EXPECT_EQ(testhost::cols(r.outputs[0].get()), 0u);

  r = call("blocksToImg", 1, Args(makeDouble(6, 0), 3, 2, 0, wide, 1, 1));
  ASSERT_TRUE(succeeded(r));
  EXPECT_EQ(testhost::rows(r.outputs[0].get()), 0u);
  EXPECT_EQ(testhost::cols(r.outputs[0].get()), 2147483647u);

  // The same grid turned on its side never walked the empty rows.
  r = call("imgToBlocks", 1, Args(makeDouble(0, 0), 3, 2, wide, 0, 1, 1));
  ASSERT_TRUE(succeeded(r));
  EXPECT_EQ(testhost::cols(r.outputs[0].get()), 0u);
}

}  // namespace
