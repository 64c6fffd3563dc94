// The test host's own promises that the other tests rely on.
#include <gtest/gtest.h>

#include <stdexcept>

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

// On Windows this also proves that exceptions cross the test host's DLLs.
TEST(TestHost, LoadFailuresThrow) {
  EXPECT_THROW(testhost::Plugin("no-such-plugin" TOOLBOX_MEX_SUFFIX), std::runtime_error);
}

// Test programs start at 53-bit precision; X87Precision changes it for a scope.
TEST(TestHost, X87PrecisionIsSetAndRestored) {
  const unsigned before = support::x87ControlWord();
  if (support::kX87) {
    EXPECT_EQ(before & 0x300u, 0x200u);
  }
  {
    support::X87Precision unit(64);
    if (support::kX87) {
      EXPECT_EQ(support::x87ControlWord(), before | 0x300u);
    }
  }
  EXPECT_EQ(support::x87ControlWord(), before);
}

}  // namespace
