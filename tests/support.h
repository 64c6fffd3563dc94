// Helpers shared by the test programs: loading the shipped plug-ins through
// the test host, building argument lists, and comparing doubles bit for bit.
#ifndef TOOLBOX_TESTS_SUPPORT_H
#define TOOLBOX_TESTS_SUPPORT_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "testhost.h"

namespace support {

// The shipped plug-in of that name, loaded once per test program.
inline const testhost::Plugin& plugin(const std::string& name) {
  static std::map<std::string, std::unique_ptr<testhost::Plugin>> loaded;
  auto& p = loaded[name];
  if (!p) {
    std::string path = std::string(TOOLBOX_DIST_DIR) + "/" + name + TOOLBOX_MEX_SUFFIX;
#if defined(_WIN32)
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    p = std::make_unique<testhost::Plugin>(path);
  }
  return *p;
}

// An argument list that owns its arrays; numbers become 1-by-1 doubles.
class Args {
 public:
  template <class... A>
  explicit Args(A&&... a) {
    (add(std::forward<A>(a)), ...);
  }
  void add(testhost::Array a) {
    ptrs_.push_back(a.get());
    owned_.push_back(std::move(a));
  }
  template <class N, class = std::enable_if_t<std::is_arithmetic_v<N>>>
  void add(N v) {
    add(testhost::makeScalar(static_cast<double>(v)));
  }
  const std::vector<const mxArray*>& ptrs() const { return ptrs_; }

 private:
  std::vector<testhost::Array> owned_;
  std::vector<const mxArray*> ptrs_;
};

inline testhost::CallResult call(const std::string& name, int nlhs, const Args& args) {
  return plugin(name).call(nlhs, args.ptrs());
}

// Uniform doubles in [lo, hi): 53 random bits, scaled. (libstdc++'s
// uniform_real_distribution calls log() for every value when clang compiles
// it, which under qemu costs more than the kernels under test.)
class Uniform {
 public:
  Uniform(double lo, double hi) : lo_(lo), span_(hi - lo) {}
  template <class Engine>
  double operator()(Engine& rng) const {
    std::uint64_t r = rng();
    if constexpr (Engine::max() <= 0xffffffffu) r = (r << 32) | rng();  // 32-bit engines
    return lo_ + span_ * (static_cast<double>(r >> 11) * 0x1p-53);
  }

 private:
  double lo_, span_;
};

// The bits of a stored double. Taken by reference and read as memory: on the
// x87 unit, loading a signalling NaN as a double would quiet it.
inline std::uint64_t bits(const double& v) {
  std::uint64_t u;
  std::memcpy(&u, &v, sizeof u);
  return u;
}

// Equal sizes and equal bit patterns, reporting the first difference.
inline ::testing::AssertionResult sameBits(const std::vector<double>& got,
                                           const std::vector<double>& want) {
  if (got.size() != want.size())
    return ::testing::AssertionFailure() << "size " << got.size() << " != " << want.size();
  for (std::size_t i = 0; i < got.size(); ++i)
    if (bits(got[i]) != bits(want[i]))
      return ::testing::AssertionFailure() << "element " << i << ": " << got[i] << " != " << want[i];
  return ::testing::AssertionSuccess();
}

// A normal return with no breach of the host contract and no scratch left.
inline ::testing::AssertionResult succeeded(const testhost::CallResult& r) {
  if (!r.ok) return ::testing::AssertionFailure() << "raised [" << r.id << "] " << r.message;
  if (!r.violations.empty()) return ::testing::AssertionFailure() << r.violations.front();
  if (r.scratchLeft) return ::testing::AssertionFailure() << r.scratchLeft << " scratch blocks left";
  return ::testing::AssertionSuccess();
}

// An error with this message (and identifier, if given) raised before any
// output was created.
inline ::testing::AssertionResult failedWith(const testhost::CallResult& r,
                                             const std::string& message,
                                             const std::string& id = "") {
  if (r.ok) return ::testing::AssertionFailure() << "returned normally, expected: " << message;
  if (r.message != message)
    return ::testing::AssertionFailure() << "message \"" << r.message << "\", expected \"" << message << "\"";
  if (r.id != id) return ::testing::AssertionFailure() << "id \"" << r.id << "\", expected \"" << id << "\"";
  if (r.arraysCreated) return ::testing::AssertionFailure() << "an output was created before the error";
  if (!r.violations.empty()) return ::testing::AssertionFailure() << r.violations.front();
  return ::testing::AssertionSuccess();
}

// The identifier of an error raised before any output was created.
inline std::string errorId(const testhost::CallResult& r) {
  if (r.ok) return "(returned normally)";
  if (r.arraysCreated || !r.violations.empty()) return "(error after output creation or violation)";
  return r.id;
}

inline std::vector<double> output(const testhost::CallResult& r, std::size_t slot = 0) {
  return testhost::doubles(r.outputs.at(slot).get());
}

// Builds whose double arithmetic runs on the x87 unit (32-bit x86 without SSE2
// math: the Win32 plug-ins and test programs). There a value keeps the unit's
// exponent range and precision between load and store. The Win32 test
// programs start at 53-bit precision, the setting of programs built with
// Microsoft's C runtime: every operation then rounds as in the other builds,
// except where a value leaves the normal range of double (overflow,
// subnormals). At 64-bit precision (X87Precision(64)) a computed result can
// differ from the other builds in the last bit; integer-valued data whose
// partial results stay below 2^53 agree at any precision.
#if defined(__i386__) && !defined(__SSE2_MATH__)
#define TOOLBOX_X87 1
#else
#define TOOLBOX_X87 0
#endif
constexpr bool kX87 = TOOLBOX_X87;

// The x87 control word (precision, rounding, exception masks); 0 where kX87 is
// false.
inline unsigned x87ControlWord() {
#if TOOLBOX_X87
  unsigned short cw;
  __asm__ __volatile__("fnstcw %0" : "=m"(cw));
  return cw;
#else
  return 0;
#endif
}

// Runs the x87 unit at `bits` (24, 53 or 64) bits of precision for the
// lifetime of the object and restores the whole control word after; does
// nothing where kX87 is false. Results computed at 53 bits match the other
// builds bit for bit within the normal range of double.
class X87Precision {
 public:
  explicit X87Precision(int bits) {
#if TOOLBOX_X87
    saved_ = static_cast<unsigned short>(x87ControlWord());
    const unsigned short pc = bits == 24 ? 0x0000 : bits == 53 ? 0x0200 : 0x0300;
    const unsigned short cw = static_cast<unsigned short>((saved_ & ~0x0300u) | pc);
    __asm__ __volatile__("fldcw %0" : : "m"(cw));
#else
    (void)bits;
#endif
  }
  ~X87Precision() {
#if TOOLBOX_X87
    __asm__ __volatile__("fldcw %0" : : "m"(saved_));
#endif
  }
  X87Precision(const X87Precision&) = delete;
  X87Precision& operator=(const X87Precision&) = delete;

 private:
  [[maybe_unused]] unsigned short saved_ = 0;  // x87 builds only
};

}  // namespace support

#endif
