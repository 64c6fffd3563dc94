// The Win32 plug-ins (built for win32 only). A DLL that imports what the host
// lacks fails to load. On the x87 unit: integer
// parameters truncate toward zero under every rounding mode the control word
// can select, at 53- and 64-bit precision, and no call, returning or ending in
// an error, leaves the control word other than the host set it. (The block
// copies and their signalling NaNs: blocks_gateway_test; the results at both
// precisions against the x86-64 ones: platform_digest_test.)
#include <gtest/gtest.h>

#include <cfenv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "support.h"

namespace {

using support::Args;
using support::output;
using support::succeeded;
using testhost::makeDouble;

// A copy of seqSpectrum whose import of KERNEL32's Sleep is renamed Sleeq.
TEST(Win32Loader, AnUnknownImportFailsTheLoadNamingIt) {
  std::ifstream in(std::string(TOOLBOX_DIST_DIR) + "/seqSpectrum" TOOLBOX_MEX_SUFFIX, std::ios::binary);
  std::string dll((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t at = dll.find(std::string("Sleep") + '\0');
  ASSERT_NE(at, std::string::npos);
  dll[at + 4] = 'q';
  const std::string path = "unknown-import" TOOLBOX_MEX_SUFFIX;
  std::ofstream(path, std::ios::binary) << dll;
  try {
    testhost::Plugin p(path);
    ADD_FAILURE() << "loaded";
  } catch (const std::runtime_error& e) {
#if !defined(_WIN32)
    EXPECT_NE(std::string(e.what()).find("KERNEL32.dll!Sleeq"), std::string::npos) << e.what();
#endif
  }
  std::remove(path.c_str());
}

const int kModes[] = {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO};  // RC 00, 01, 10, 11

// Runs `body` under every precision and rounding mode, checking that it
// leaves the control word as it found it.
template <class Body>
void underEveryControlWord(Body body) {
  ASSERT_TRUE(support::kX87);
  for (int precision : {53, 64}) {
    support::X87Precision unit(precision);
    for (int mode : kModes) {
      ASSERT_EQ(std::fesetround(mode), 0);
      const unsigned before = support::x87ControlWord();
      const std::string where = "control word " + std::to_string(before);
      body(where);
      EXPECT_EQ(support::x87ControlWord(), before) << where;
      std::fesetround(FE_TONEAREST);
    }
  }
}

TEST(X87, ParametersTruncateTowardZero) {
  // The worked example of cyclicEnergy with fractional parameters and
  // positions: rounded up or to nearest, 2.9, 3.6 and 2.99 would make a
  // 3-by-4 grid and ask for a third position; rounded down, n = -0.5 would be
  // negative (an error instead of an empty row), and so would ordering -0.5.
  const std::vector<double> re{1, 2, 3, 4, 5, 6}, im{0, 1, 0, 1, 0, 1};
  const Args energy(makeDouble(1, 2, {1.9, 4.7}), makeDouble(2, 3, re), makeDouble(2, 3, im), 2.9,
                    3.6, 2.99);
  const Args empty(makeDouble(1, 2, {1, 4}), makeDouble(2, 3, re), makeDouble(2, 3, im), 2, -0.5, 1);
  const Args hadamard(makeDouble(4, 1, {1, 2, 3, 4}), 1.9);  // rounded up: 2, the dyadic order
  const Args sequency(makeDouble(4, 1, {1, 2, 3, 4}), -0.5);
  const std::vector<double> ell{38, 30, 14, 18, 42, 46}, natural{2.5, -0.5, -1, 0}, seq{2.5, -1, 0, -0.5};
  underEveryControlWord([&](const std::string& where) {
    const auto e = support::call("cyclicEnergy", 1, energy);
    const auto z = support::call("cyclicEnergy", 1, empty);
    const auto w = support::call("walshOrdered", 1, hadamard);
    const auto s = support::call("walshOrdered", 1, sequency);
    ASSERT_TRUE(succeeded(e)) << where;
    EXPECT_EQ(output(e), ell) << where;
    ASSERT_TRUE(succeeded(z)) << where;
    EXPECT_EQ(testhost::cols(z.outputs[0].get()), 0u) << where;
    ASSERT_TRUE(succeeded(w)) << where;
    EXPECT_EQ(output(w), natural) << where;
    ASSERT_TRUE(succeeded(s)) << where;
    EXPECT_EQ(output(s), seq) << where;
  });
}

// Every plug-in, with a call that returns and calls that end in errors raised
// before and after a parameter is converted.
TEST(X87, ControlWordSurvivesEveryCallAndError) {
  struct Case {
    const char* plugin;
    bool ok;
    Args args;
  };
  std::vector<Case> cases;
  cases.push_back({"imgToBlocks", true, Args(makeDouble(4, 4), 2, 2, 4, 4, 1, 1)});
  cases.push_back({"imgToBlocks", false, Args(makeDouble(4, 4), 2, 2, 4, 4, 3, 1)});  // start point
  cases.push_back({"blocksToImg", true, Args(makeDouble(4, 4), 2, 2, 4, 4, 1, 1)});
  cases.push_back({"blocksToImg", false, Args(makeDouble(4, 3), 2, 2, 4, 4, 1, 1)});  // columns
  cases.push_back({"seqSpectrum", true, Args(makeDouble(5, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}))});
  cases.push_back({"seqSpectrum", false, Args()});  // usage
  cases.push_back({"walshOrdered", true, Args(makeDouble(3, 1, {1, 2, 3}), 2)});
  cases.push_back({"walshOrdered", false, Args(makeDouble(3, 1, {1, 2, 3}), 3.5)});  // ordering
  cases.push_back({"cyclicEnergy", true, Args(makeDouble(1, 1, {2}), makeDouble(2, 2), makeDouble(2, 2), 2, 2, 1)});
  cases.push_back({"cyclicEnergy", false, Args(makeDouble(1, 1, {5}), makeDouble(2, 2), makeDouble(2, 2), 2, 2, 1)});
  underEveryControlWord([&](const std::string& where) {
    for (const Case& c : cases) {
      const unsigned before = support::x87ControlWord();
      const auto r = support::call(c.plugin, 1, c.args);
      const unsigned after = support::x87ControlWord();
      EXPECT_EQ(r.ok, c.ok) << c.plugin << ", " << where << ": " << r.message;
      EXPECT_EQ(after, before) << c.plugin << (c.ok ? "" : " (error)") << ", " << where;
    }
  });
}

}  // namespace
