// What the fuzz targets share: building host arrays of any class, shape and
// content from the fuzzer's bytes, the rule by which every gateway reads an
// integer parameter, and the checks that every call must pass.
//
// Each target draws a call (argument and output counts, arguments), predicts
// from the documented rules which errors the call may end with (none: it must
// succeed), makes the call through the test host and then
//   - on an error: the error must be one of those predicted, raised before any
//     output was created, with no breach of the host contract;
//   - on success: success must have been predicted, the contract kept, no
//     scratch left, and the output must match the plain reference bit for bit.
// Any departure prints the call and aborts, which the fuzzer reports as a
// finding. Out-of-bounds accesses fault on the test host's guard pages or are
// caught by AddressSanitizer; undefined behaviour aborts under UBSan.
#ifndef TOOLBOX_FUZZ_HARNESS_H
#define TOOLBOX_FUZZ_HARNESS_H

#include <fuzzer/FuzzedDataProvider.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "testhost.h"

namespace fuzz {

using Provider = FuzzedDataProvider;
using Outcomes = std::set<std::string>;  // error identifiers, or messages of errors without one

// Calls predicted to succeed are made only up to this many elements in and out.
constexpr std::size_t kMaxElements = std::size_t{1} << 16;

// How the calls of a run ended; printed when the fuzzer exits.
struct Tally {
  unsigned long long compared = 0, refused = 0, notMade = 0;
  ~Tally() {
    std::fprintf(stderr,
                 "calls: %llu results compared with the reference, %llu errors checked, "
                 "%llu valid calls too large to make\n",
                 compared, refused, notMade);
  }
};
inline Tally& tally() {
  static Tally t;
  return t;
}

inline const testhost::Plugin& plugin(const char* name) {
  static std::unique_ptr<testhost::Plugin> loaded;
  if (!loaded)
    loaded = std::make_unique<testhost::Plugin>(std::string(TOOLBOX_DIST_DIR) + "/" + name +
                                                TOOLBOX_MEX_SUFFIX);
  return *loaded;
}

// ---------------------------------------------------------------------------
// Numbers

// An integer in lo..hi that is `usual` when the fuzzer gives no bytes.
inline int pick(Provider& in, int usual, int lo, int hi) {
  const int span = hi - lo + 1;
  const int k = in.ConsumeIntegralInRange<int>(0, span - 1);
  return lo + (usual - lo + k) % span;
}

inline double fromBits(std::uint64_t u) {
  double v;
  std::memcpy(&v, &u, sizeof v);
  return v;
}

// Values that sit on the edges the gateways care about: non-finite values,
// the ends of the 32-bit range and of double, fractions that truncate, sizes
// whose products cross 2^31.
inline double special(Provider& in) {
  static const double table[] = {
      std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
      fromBits(0x7ff0000000000001ull),  // signalling NaN
      fromBits(0xfff8000000abcdefull),  // NaN with a payload
      INFINITY, -INFINITY, 0.0, -0.0, 0.5, -0.5, 0.9999999999999999, 1.5, -1.5, 2.9, -2.9,
      DBL_MAX, -DBL_MAX, DBL_MIN, -DBL_MIN, 4.9406564584124654e-324, -4.9406564584124654e-324,
      2147483647.0, 2147483648.0, -2147483648.0, -2147483649.0, 2147483647.5, -2147483648.5,
      2147483647.9999998, -2147483648.9999998, 4294967295.0, 4294967296.0, 4294967297.0,
      9007199254740992.0, 9223372036854775808.0, -9223372036854775808.0, 18446744073709551616.0,
      1e300, -1e300, 0x1p1023, -0x1p1023, 0x1.8p-53,
      1.0000000000000002, 46340.0, 46341.0, 65535.0, 65536.0, 32768.0, 1073741824.0,
      1073741825.0, 536870912.0, 2097152.0};
  return table[in.ConsumeIntegralInRange<std::size_t>(0, std::size(table) - 1)];
}

// A value for array data: mostly small integers in lo..hi, some fractions,
// scaled integers (for rounding), the special values and raw bit patterns;
// only the integers and fractions that truncate to them if `plain`.
inline double value(Provider& in, int lo, int hi, bool plain = false) {
  if (plain) {
    const int k = pick(in, lo, lo, hi);
    return in.ConsumeBool() ? k + in.ConsumeIntegralInRange<int>(0, 7) / 8.0 : k;
  }
  switch (in.ConsumeIntegralInRange<int>(0, 9)) {
    case 6: return pick(in, lo, lo, hi) + in.ConsumeIntegralInRange<int>(-7, 7) / 8.0;
    case 7: return std::ldexp(static_cast<double>(in.ConsumeIntegral<std::int16_t>()),
                              in.ConsumeIntegralInRange<int>(-70, 70));
    case 8: return special(in);
    case 9: return fromBits(in.ConsumeIntegral<std::uint64_t>());
    default: return pick(in, lo, lo, hi);
  }
}

// ---------------------------------------------------------------------------
// Arrays

// One argument as built, with what a gateway may see of it.
struct Arg {
  testhost::Array array;
  mxClassID cls = mxDOUBLE_CLASS;
  bool sparse = false, complex = false, dataless = false;
  std::size_t m = 0, n = 0;
  std::vector<double> values;  // full numeric or logical data: real parts as double, column order

  std::size_t numel() const { return m * n; }
  bool numeric() const { return cls >= mxDOUBLE_CLASS && cls <= mxUINT64_CLASS; }
  bool numericOrLogical() const { return numeric() || cls == mxLOGICAL_CLASS; }
  // Full numeric or logical data: what the data inputs must be.
  bool fullData() const { return numericOrLogical() && !sparse; }
};

namespace detail {

template <class T>
void fillTyped(Provider& in, Arg& a, int lo, int hi, bool plain) {
  T* data = static_cast<T*>(testhost::realData(a.array.get()));
  for (std::size_t i = 0; i < a.numel(); ++i) {
    T v{};
    if constexpr (std::is_same_v<T, double>) {
      const double d = value(in, lo, hi, plain);
      std::memcpy(&v, &d, sizeof v);
    } else if (!plain && in.ConsumeBool()) {
      const auto raw = in.ConsumeIntegral<std::uint64_t>();  // any bit pattern
      std::memcpy(&v, &raw, sizeof v);
    } else if constexpr (std::is_floating_point_v<T>) {
      v = static_cast<T>(pick(in, lo, lo, hi));
    } else {  // a small integer, clamped to the type
      const long long least =
          std::is_signed_v<T> ? static_cast<long long>(std::numeric_limits<T>::min()) : 0;
      const long long most = sizeof(T) >= 8 ? std::numeric_limits<long long>::max()
                                            : static_cast<long long>(std::numeric_limits<T>::max());
      const long long k = pick(in, lo, lo, hi);
      v = static_cast<T>(k < least ? least : k > most ? most : k);
    }
    data[i] = v;
    a.values.push_back(static_cast<double>(v));
  }
  if (a.complex) {  // the imaginary parts are never used; give them content all the same
    T* im = static_cast<T*>(testhost::imagData(a.array.get()));
    for (std::size_t i = 0; i < a.numel(); ++i) {
      const auto raw = in.ConsumeIntegral<std::uint64_t>();
      std::memcpy(&im[i], &raw, sizeof(T));
    }
  }
}

}  // namespace detail

// A full array of class cls (numeric, logical, char or cell), values drawn
// around lo..hi (see value()).
inline Arg full(Provider& in, mxClassID cls, std::size_t m, std::size_t n, bool complex, int lo,
                int hi, bool plain = false) {
  Arg a;
  a.cls = cls;
  a.m = m;
  a.n = n;
  a.complex = complex && a.numeric();
  a.array = testhost::makeArray(cls, m, n, a.complex);
  switch (cls) {
    case mxDOUBLE_CLASS: detail::fillTyped<double>(in, a, lo, hi, plain); break;
    case mxSINGLE_CLASS: detail::fillTyped<float>(in, a, lo, hi, plain); break;
    case mxINT8_CLASS: detail::fillTyped<std::int8_t>(in, a, lo, hi, plain); break;
    case mxUINT8_CLASS: detail::fillTyped<std::uint8_t>(in, a, lo, hi, plain); break;
    case mxINT16_CLASS: detail::fillTyped<std::int16_t>(in, a, lo, hi, plain); break;
    case mxUINT16_CLASS: detail::fillTyped<std::uint16_t>(in, a, lo, hi, plain); break;
    case mxINT32_CLASS: detail::fillTyped<std::int32_t>(in, a, lo, hi, plain); break;
    case mxUINT32_CLASS: detail::fillTyped<std::uint32_t>(in, a, lo, hi, plain); break;
    case mxINT64_CLASS: detail::fillTyped<std::int64_t>(in, a, lo, hi, plain); break;
    case mxUINT64_CLASS: detail::fillTyped<std::uint64_t>(in, a, lo, hi, plain); break;
    case mxLOGICAL_CLASS: {
      auto* d = static_cast<std::uint8_t*>(testhost::realData(a.array.get()));
      for (std::size_t i = 0; i < a.numel(); ++i) {
        d[i] = in.ConsumeBool();
        a.values.push_back(d[i]);
      }
      break;
    }
    case mxCHAR_CLASS: {
      auto* d = static_cast<std::uint16_t*>(testhost::realData(a.array.get()));
      for (std::size_t i = 0; i < a.numel(); ++i) d[i] = in.ConsumeIntegral<std::uint16_t>();
      break;
    }
    default: break;  // cells hold no numeric data
  }
  return a;
}

inline Arg sparse(Provider& in, std::size_t m, std::size_t n) {
  Arg a;
  a.sparse = true;
  a.m = m;
  a.n = n;
  a.array = testhost::makeSparse(m, n, in.ConsumeIntegralInRange<std::size_t>(0, m * n));
  return a;
}

// A double array that reports m-by-n but has no data: only ever passed where
// the call must fail before reading data, or not made at all.
inline Arg dataless(std::size_t m, std::size_t n) {
  Arg a;
  a.dataless = true;
  a.m = m;
  a.n = n;
  a.array = testhost::makeDataless(m, n);
  return a;
}

// Any class the host can pass: mostly double, then every other numeric
// class, logical, complex double, and rarely sparse, char and cell.
inline Arg data(Provider& in, std::size_t m, std::size_t n, int lo, int hi, bool plain = false) {
  static const mxClassID numeric[] = {mxSINGLE_CLASS, mxINT8_CLASS,  mxUINT8_CLASS,
                                      mxINT16_CLASS,  mxUINT16_CLASS, mxINT32_CLASS,
                                      mxUINT32_CLASS, mxINT64_CLASS,  mxUINT64_CLASS,
                                      mxLOGICAL_CLASS};
  const int kind = in.ConsumeIntegralInRange<int>(0, 19);
  if (kind < 12) return full(in, mxDOUBLE_CLASS, m, n, false, lo, hi, plain);
  if (kind < 16)
    return full(in, in.PickValueInArray(numeric), m, n, in.ConsumeBool(), lo, hi, plain);
  if (kind == 16) return full(in, mxDOUBLE_CLASS, m, n, true, lo, hi, plain);
  if (kind == 17) return sparse(in, m, n);
  return full(in, kind == 18 ? mxCHAR_CLASS : mxCELL_CLASS, m, n, false, lo, hi);
}

// An element count 1 to 3 below n (0 for n = 0): an array just too short.
inline std::size_t fewer(Provider& in, std::size_t n) {
  return n == 0 ? 0 : n - in.ConsumeIntegralInRange<std::size_t>(1, n < 3 ? n : 3);
}

// Any shape up to most-by-most, rows drawn first.
inline void smallShape(Provider& in, std::size_t& m, std::size_t& n, std::size_t most) {
  m = in.ConsumeIntegralInRange<std::size_t>(0, most);
  n = in.ConsumeIntegralInRange<std::size_t>(0, most);
}

// An m-by-n data argument of values around -100..100 (see data()), or one
// without data where it would hold more than `most` elements.
inline Arg dataUpTo(Provider& in, std::size_t m, std::size_t n, std::size_t most) {
  if (m * n > most) return dataless(m, n);
  return data(in, m, n, -100, 100);
}

// An array without data whose size crosses a limit: one dimension around
// 2^15, 2^16, 2^30, 2^31, 2^32 or beyond, the other small, or both around
// 2^16 (so that neither is large but their product is).
inline Arg hugeArray(Provider& in) {
  static const std::size_t huge[] = {46341u,     65535u,       65536u,       1u << 30,
                                     (1u << 30) + 1, (1u << 31) - 1, 1u << 31, (1ull << 32) - 1,
                                     1ull << 32, (1ull << 32) + 1, 1ull << 40};
  static const std::size_t moderate[] = {46340u, 46341u, 65535u, 65536u, 65537u};
  const std::size_t big = in.PickValueInArray(huge);
  const std::size_t other = big <= 65536u && in.ConsumeBool()
                                ? in.PickValueInArray(moderate)
                                : in.ConsumeIntegralInRange<std::size_t>(0, 3);
  return in.ConsumeBool() ? dataless(big, other) : dataless(other, big);
}

// A scalar parameter: mostly a 1-by-1 double holding a small integer in lo..hi
// (`usual` without bytes), sometimes a fraction, an edge value, another class,
// or no scalar at all (empty, a vector, sparse, complex, char, cell).
inline Arg param(Provider& in, int usual, int lo, int hi) {
  const int kind = in.ConsumeIntegralInRange<int>(0, 19);
  const int k = pick(in, usual, lo, hi);
  auto scalar = [](double v) {
    Arg a;
    a.m = a.n = 1;
    a.array = testhost::makeScalar(v);
    a.values.push_back(v);
    return a;
  };
  switch (kind) {
    case 13: return scalar(k + in.ConsumeIntegralInRange<int>(-9, 9) / 10.0);
    case 14:
    case 15: return scalar(special(in));
    case 16: return data(in, 1, 1, k, k);  // another class (or sparse, char, cell)
    case 17:  // empty, or a row whose first element counts
      return data(in, in.ConsumeIntegralInRange<std::size_t>(0, 1),
                  in.ConsumeIntegralInRange<std::size_t>(0, 3), k, k);
    case 18: return full(in, mxDOUBLE_CLASS, 1, 1, true, k, k);
    case 19: return sparse(in, 1, 1);
    default: return scalar(k);
  }
}

// The integer parameter rule of every gateway: the first element of a full
// numeric or logical array, finite, truncated toward zero into 32 bits.
struct Param {
  bool ok = false;
  std::int64_t v = 0;
};

inline Param readParam(const Arg& a) {
  if (!a.fullData() || a.numel() == 0) return {};
  const double x = a.values.at(0);
  if (!std::isfinite(x)) return {};
  const double t = std::trunc(x);
  if (t < -2147483648.0 || t > 2147483647.0) return {};
  return {true, static_cast<std::int64_t>(t)};
}

// ---------------------------------------------------------------------------
// The call and its checks

struct Call {
  int nlhs = 1;
  std::vector<Arg> args;

  std::vector<const mxArray*> inputs() const {
    std::vector<const mxArray*> p;
    for (const Arg& a : args) p.push_back(a.array.get());
    return p;
  }
  bool anyDataless() const {
    for (const Arg& a : args)
      if (a.dataless) return true;
    return false;
  }
};

inline const char* className(mxClassID c) {
  switch (c) {
    case mxDOUBLE_CLASS: return "double";
    case mxSINGLE_CLASS: return "single";
    case mxINT8_CLASS: return "int8";
    case mxUINT8_CLASS: return "uint8";
    case mxINT16_CLASS: return "int16";
    case mxUINT16_CLASS: return "uint16";
    case mxINT32_CLASS: return "int32";
    case mxUINT32_CLASS: return "uint32";
    case mxINT64_CLASS: return "int64";
    case mxUINT64_CLASS: return "uint64";
    case mxLOGICAL_CLASS: return "logical";
    case mxCHAR_CLASS: return "char";
    case mxCELL_CLASS: return "cell";
    default: return "?";
  }
}

// Prints the call and the outcomes expected of it.
inline void describe(const char* fn, const Call& c, const Outcomes& expected) {
  std::fprintf(stderr, "%s with nlhs = %d and %zu inputs:\n", fn, c.nlhs, c.args.size());
  for (std::size_t i = 0; i < c.args.size(); ++i) {
    const Arg& a = c.args[i];
    std::fprintf(stderr, "  prhs[%zu]: %zux%zu %s%s%s%s", i, a.m, a.n, a.sparse ? "sparse " : "",
                 a.complex ? "complex " : "", className(a.cls), a.dataless ? " (no data)" : "");
    for (std::size_t k = 0; k < a.values.size() && k < 12; ++k)
      std::fprintf(stderr, "%s%.17g", k ? " " : " [", a.values[k]);
    std::fprintf(stderr, "%s\n", a.values.empty() ? "" : a.values.size() > 12 ? " ...]" : "]");
  }
  std::fprintf(stderr, "expected:");
  if (expected.empty()) std::fprintf(stderr, " success");
  for (const std::string& e : expected) std::fprintf(stderr, " [%s]", e.c_str());
}

// Prints the call, what was expected and what happened, and aborts.
[[noreturn]] inline void finding(const char* fn, const Call& c, const Outcomes& expected,
                                 const testhost::CallResult& r, const std::string& what) {
  std::fprintf(stderr, "\n=== %s: %s\n", fn, what.c_str());
  describe(fn, c, expected);
  std::fprintf(stderr, "\ngot: %s", r.ok ? "success" : ("[" + r.id + "] " + r.message).c_str());
  std::fprintf(stderr, ", %zu arrays created, %zu scratch blocks left\n", r.arraysCreated,
               r.scratchLeft);
  for (const std::string& v : r.violations) std::fprintf(stderr, "violation: %s\n", v.c_str());
  std::abort();
}

// Makes the call unless it is predicted to succeed on inputs too large to
// compare (or without data); checks the outcome against the prediction and
// the host contract. Returns the result of a successful call, else null.
inline std::unique_ptr<testhost::CallResult> run(const char* fn, const Call& c,
                                                 const Outcomes& expected, bool tooLarge = false) {
  if (expected.empty() && (tooLarge || c.anyDataless())) {
    ++tally().notMade;
    return nullptr;
  }
  static const bool show = std::getenv("FUZZ_SHOW_CALLS") != nullptr;  // to replay a timeout
  if (show) {
    describe(fn, c, expected);
    std::fprintf(stderr, "\n");
  }
  auto r = std::make_unique<testhost::CallResult>(plugin(fn).call(c.nlhs, c.inputs()));
  if (!r->violations.empty()) finding(fn, c, expected, *r, "host contract broken");
  if (r->scratchLeft) finding(fn, c, expected, *r, "scratch memory left");
  if (!r->ok) {
    if (r->arraysCreated) finding(fn, c, expected, *r, "an output was created before the error");
    if (!expected.count(r->id.empty() ? r->message : r->id))
      finding(fn, c, expected, *r, expected.empty() ? "refused a valid call" : "unexpected error");
    ++tally().refused;
    return nullptr;
  }
  if (!expected.empty()) finding(fn, c, expected, *r, "accepted a call it must refuse");
  const std::size_t slots = c.nlhs > 1 ? static_cast<std::size_t>(c.nlhs) : 1;
  if (r->outputs.size() != slots || !r->outputs[0])
    finding(fn, c, expected, *r, "no result in output slot 0");
  for (std::size_t s = 1; s < slots; ++s)
    if (r->outputs[s]) finding(fn, c, expected, *r, "a result in an output slot beyond 0");
  const mxArray* out = r->outputs[0].get();
  if (testhost::classOf(out) != mxDOUBLE_CLASS || testhost::isComplex(out))
    finding(fn, c, expected, *r, "the result is not a real double matrix");
  return r;
}

enum class Nan { exact, anyNan };

// The result against the reference: same size, same bits. With Nan::anyNan a
// NaN may stand for a NaN of another payload (which payload survives when two
// meet in an addition depends on the order of the operands).
inline void compare(const char* fn, const Call& c, const testhost::CallResult& r, std::size_t rows,
                    std::size_t cols, const std::vector<double>& want, Nan nan) {
  const mxArray* out = r.outputs[0].get();
  if (testhost::rows(out) != rows || testhost::cols(out) != cols)
    finding(fn, c, {}, r,
            "result is " + std::to_string(testhost::rows(out)) + "x" +
                std::to_string(testhost::cols(out)) + ", expected " + std::to_string(rows) + "x" +
                std::to_string(cols));
  ++tally().compared;
  const std::vector<double> got = testhost::doubles(out);
  if (got.size() != want.size()) finding(fn, c, {}, r, "result size differs from the reference");
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (nan == Nan::anyNan && std::isnan(got[i]) && std::isnan(want[i])) continue;
    if (std::memcmp(&got[i], &want[i], sizeof(double)) != 0) {
      char what[160];
      std::snprintf(what, sizeof what, "element %zu is %.17g, the reference gives %.17g", i,
                    got[i], want[i]);
      finding(fn, c, {}, r, what);
    }
  }
}

// nrhs and nlhs: as the function wants them unless the fuzzer says otherwise.
inline void counts(Provider& in, int& nrhs, int& nlhs) {
  if (!in.ConsumeBool()) return;
  nrhs = in.ConsumeIntegralInRange<int>(0, 9);
  nlhs = in.ConsumeIntegralInRange<int>(0, 3);
}

// Fills the argument list up to nrhs with arbitrary extra arguments, or cuts it.
inline void fitArgs(Provider& in, Call& c, std::size_t nrhs) {
  while (c.args.size() > nrhs) c.args.pop_back();
  while (c.args.size() < nrhs) c.args.push_back(param(in, 1, -2, 9));
}

// ---------------------------------------------------------------------------
// The target

// What a call must give when it succeeds: a rows-by-cols result, column order.
struct Result {
  std::size_t rows = 0, cols = 0;
  std::vector<double> values;
};

// One fuzzer input, start to end, for a target `T` (one object per input):
//   T::kName, T::kInputs   the function and its number of inputs;
//   T::kNoOutputOk         whether a call without output is valid (then the
//                          first byte says whether the call asks for one);
//   T::kNan                how NaNs in the result are compared;
//   t.draw(in, c)          appends the arguments;
//   t.predict(c)           the errors the call may end with (none: success);
//   t.tooLarge(c)          a valid call too large to make;
//   t.reference(c)         the plain reference's result of a valid call.
// The counts are drawn first, so a target draws its arguments for the count
// the function wants and fitArgs then trims or pads the list.
template <class T>
int testOne(const std::uint8_t* bytes, std::size_t size) {
  Provider in(bytes, size);
  int nrhs = T::kInputs;
  Call c;
  if (T::kNoOutputOk) c.nlhs = in.ConsumeBool() ? 0 : 1;
  counts(in, nrhs, c.nlhs);
  T t;
  t.draw(in, c);
  fitArgs(in, c, static_cast<std::size_t>(nrhs));
  const Outcomes expected = t.predict(c);
  const auto r = run(T::kName, c, expected, expected.empty() && t.tooLarge(c));
  if (!r) return 0;
  const Result want = t.reference(c);
  compare(T::kName, c, *r, want.rows, want.cols, want.values, T::kNan);
  return 0;
}

}  // namespace fuzz

// The libFuzzer entry points of target T; each fuzz_<function>.cpp ends with it.
#define TOOLBOX_FUZZ_TARGET(T)                                                     \
  extern "C" int LLVMFuzzerInitialize(int*, char***) {                             \
    fuzz::plugin(T::kName);                                                        \
    return 0;                                                                      \
  }                                                                                \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) { \
    return fuzz::testOne<T>(bytes, size);                                          \
  }

#endif
