// The test host's own promises that the other tests rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "support.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESTHOST_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TESTHOST_TEST_ASAN 1
#endif

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

TEST(TestHostDeathTest, ReadingBeforeAnArrayIsCaughtByAddressSanitizer) {
#if defined(TESTHOST_TEST_ASAN)
  testhost::Array a = testhost::makeDouble(3, 1, {1, 2, 3});
  auto* p = static_cast<volatile double*>(testhost::realData(a.get()));
  EXPECT_DEATH((void)p[-1], "use-after-poison");
  testhost::Array b = testhost::makeArray(mxINT16_CLASS, 4, 1);
  auto* q = static_cast<volatile short*>(testhost::realData(b.get()));
  EXPECT_DEATH((void)q[-4], "use-after-poison");
#else
  GTEST_SKIP() << "only the guard page after an array faults without AddressSanitizer";
#endif
}

TEST(TestHost, EmptyArraysHaveNoData) {
  EXPECT_EQ(testhost::realData(testhost::makeDouble(0, 7).get()), nullptr);
}

// On Windows this also proves that exceptions cross the test host's DLLs.
TEST(TestHost, LoadFailuresThrow) {
  EXPECT_THROW(testhost::Plugin("no-such-plugin" TOOLBOX_MEX_SUFFIX), std::runtime_error);
}

// Two loads of one plug-in both work; the Win32 host maps the second copy
// away from the first, applying the base relocations.
TEST(TestHost, APluginLoadedTwiceWorksThroughBoth) {
  std::string path = std::string(TOOLBOX_DIST_DIR) + "/seqSpectrum" TOOLBOX_MEX_SUFFIX;
#if defined(_WIN32)
  std::replace(path.begin(), path.end(), '/', '\\');
#endif
  const testhost::Plugin a(path), b(path);
  const support::Args args(testhost::makeDouble(3, 1, {1, 2, 3}));
  for (const testhost::Plugin* p : {&a, &b}) {
    const auto r = p->call(1, args.ptrs());
    ASSERT_TRUE(support::succeeded(r));
    EXPECT_EQ(support::output(r), (std::vector<double>{1.5, 0, -1, 0.5}));
  }
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

// An error ends a call with a jump that skips destructors, so nothing on the
// way may own heap memory at that moment. (The sanitized build's leak check
// found error messages leaked this way.)
TEST(TestHost, ErrorsLeaveNoHeapBehind) {
#if defined(__GLIBC__)
  const support::Args none;
  const support::Args cell(testhost::makeArray(mxCELL_CLASS, 1, 1));
  auto errors = [&] {
    EXPECT_FALSE(support::call("seqSpectrum", 1, none).ok);  // mexErrMsgTxt
    EXPECT_FALSE(support::call("seqSpectrum", 1, cell).ok);  // mexErrMsgIdAndTxt
  };
  for (int i = 0; i < 20; ++i) errors();  // loads the plug-in, fills malloc's caches
  const auto before = mallinfo2().uordblks;
  for (int i = 0; i < 200; ++i) errors();
  // A leaked message would be 400 blocks of 40 bytes or more; allow for the
  // allocator's own bookkeeping.
  EXPECT_LT(mallinfo2().uordblks, before + 4096);
#else
  GTEST_SKIP() << "needs glibc's mallinfo2";
#endif
}

}  // namespace
