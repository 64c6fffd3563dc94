// The test host's own promises that the other tests rely on.
#include <gtest/gtest.h>

#include "support.h"

namespace {

TEST(TestHostDeathTest, ReadingOrWritingPastAnArrayFaults) {
  testhost::Array a = testhost::makeDouble(3, 1, {1, 2, 3});
  auto* p = static_cast<volatile double*>(testhost::realData(a.get()));
  EXPECT_EQ(p[2], 3.0);
  EXPECT_DEATH(p[3] = 0.0, "");
  testhost::Array b = testhost::makeArray(mxUINT8_CLASS, 5, 1);
  auto* q = static_cast<volatile unsigned char*>(testhost::realData(b.get()));
  EXPECT_DEATH((void)q[5], "");
}

TEST(TestHost, EmptyArraysHaveNoData) {
  EXPECT_EQ(testhost::realData(testhost::makeDouble(0, 7).get()), nullptr);
}

}  // namespace
