// The test host's libmx: arrays, scratch memory and the per-call record.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>

#include "context.h"
#include "memory.h"

#if defined(TESTHOST_VALGRIND)
#include <valgrind/memcheck.h>
#else
#define VALGRIND_MAKE_MEM_UNDEFINED(p, n) ((void)(p), (void)(n))
#endif

using testhost::detail::Guarded;

struct mxArray_tag {
  mxClassID cls = mxDOUBLE_CLASS;
  bool complex = false;
  bool sparse = false;
  std::size_t m = 0, n = 0;
  std::size_t stored = 0;  // elements held in re/im: m*n, or the nonzeros of a sparse array
  Guarded re, im;
};

namespace testhost {
namespace detail {
namespace {

struct Context {
  bool active = false;
  std::jmp_buf* jump = nullptr;
  std::string id, message;
  std::vector<std::string> log, violations;
  std::map<const mxArray*, std::string> labels;
  std::map<const mxArray*, std::uint64_t> inputHashes;
  std::vector<mxArray*> created;
  std::map<void*, Guarded> scratch;
  std::map<void*, std::size_t> scratchIndex;  // k for the k-th mxCalloc of the call
  std::size_t scratchTaken = 0;
};

Context& ctx() {
  static Context c;
  return c;
}

bool& instrumented() {
  static bool on = true;
  return on;
}

std::set<const mxArray*>& live() {
  static std::set<const mxArray*> s;
  return s;
}

std::size_t elementSize(mxClassID cls) {
  switch (cls) {
    case mxDOUBLE_CLASS: case mxINT64_CLASS: case mxUINT64_CLASS: return 8;
    case mxSINGLE_CLASS: case mxINT32_CLASS: case mxUINT32_CLASS: return 4;
    case mxINT16_CLASS: case mxUINT16_CLASS: case mxCHAR_CLASS: return 2;
    case mxINT8_CLASS: case mxUINT8_CLASS: case mxLOGICAL_CLASS: return 1;
    default: return 0;  // cells, structs: no numeric data
  }
}

bool isNumericClass(mxClassID cls) { return cls >= mxDOUBLE_CLASS && cls <= mxUINT64_CLASS; }

std::uint64_t hashBytes(const void* p, std::size_t n, std::uint64_t h) {
  const auto* b = static_cast<const unsigned char*>(p);
  for (std::size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;  // FNV-1a
  return h;
}

std::uint64_t hashArray(const mxArray* a) {
  const std::size_t bytes = a->stored * elementSize(a->cls);
  std::uint64_t h = 14695981039346656037ull;
  if (a->re.data) h = hashBytes(a->re.data, bytes, h);
  if (a->im.data) h = hashBytes(a->im.data, bytes, h);
  return h;
}

mxArray* newArray(mxClassID cls, std::size_t m, std::size_t n, bool complex, bool sparse,
                  std::size_t stored) {
  auto* a = new mxArray;
  a->cls = cls;
  a->m = m;
  a->n = n;
  a->complex = complex;
  a->sparse = sparse;
  a->stored = stored;
  const std::size_t bytes = stored * elementSize(cls);
  if (bytes > 0) {
    a->re = guardedAlloc(bytes);
    if (complex) a->im = guardedAlloc(bytes);
    if (!a->re.data || (complex && !a->im.data)) {
      guardedFree(a->re);
      guardedFree(a->im);
      delete a;
      return nullptr;
    }
  }
  live().insert(a);
  return a;
}

void deleteArray(mxArray* a) {
  if (!a) return;
  live().erase(a);
  guardedFree(a->re);
  guardedFree(a->im);
  delete a;
}

void violation(const std::string& what) { ctx().violations.push_back(what); }

std::string label(const mxArray* a) {
  auto it = ctx().labels.find(a);
  return it == ctx().labels.end() ? std::string("?") : it->second;
}

// Logs a host call on an array and checks that the handle is one the
// deliverable may use: an input of this call or an array it created.
bool access(const char* fn, const mxArray* a) {
  Context& c = ctx();
  if (!c.active) {
    std::fprintf(stderr, "testhost: %s called outside a call\n", fn);
    std::abort();
  }
  if (instrumented()) c.log.push_back(std::string(fn) + "(" + (a ? label(a) : "null") + ")");
  if (!a || !live().count(a) || !c.labels.count(a)) {
    violation(std::string(fn) + " on an unknown array handle");
    return false;
  }
  return true;
}

}  // namespace

void logCall(const std::string& entry) {
  if (instrumented()) ctx().log.push_back(entry);
}

void beginCall(const std::vector<const mxArray*>& inputs, std::jmp_buf* jump) {
  Context& c = ctx();
  c = Context{};
  c.active = true;
  c.jump = jump;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (!inputs[i]) continue;
    c.labels[inputs[i]] = "prhs[" + std::to_string(i) + "]";
    if (instrumented()) c.inputHashes[inputs[i]] = hashArray(inputs[i]);
  }
}

CallResult endCall(bool returned, std::vector<mxArray*>& plhs) {
  Context& c = ctx();
  CallResult r;
  r.ok = returned;
  r.id = c.id;
  r.message = c.message;
  r.arraysCreated = c.created.size();
  for (const auto& [a, h] : c.inputHashes)
    if (hashArray(a) != h) violation("input " + label(a) + " was modified");

  std::set<mxArray*> returnedArrays;
  if (returned) {
    for (mxArray* a : plhs) {
      if (a && !std::count(c.created.begin(), c.created.end(), a)) {
        violation("an output slot holds an array the call did not create");
        a = nullptr;
      }
      if (a) returnedArrays.insert(a);
      r.outputs.emplace_back(a);
    }
  }
  for (mxArray* a : c.created) {
    if (returnedArrays.count(a)) continue;
    if (returned) violation("array " + label(a) + " created but not returned");
    deleteArray(a);
  }
  r.scratchLeft = c.scratch.size();
  for (auto& [p, g] : c.scratch) guardedFree(g);
  r.log = std::move(c.log);
  r.violations = std::move(c.violations);
  c = Context{};
  return r;
}

void raise(const char* id, const char* message) {
  Context& c = ctx();
  if (!c.active || !c.jump) {
    std::fprintf(stderr, "testhost: error raised outside a call: %s\n", message);
    std::abort();
  }
  if (!c.id.empty() || !c.message.empty()) violation("a second error was raised");
  c.id = id ? id : "";
  c.message = message;
  std::longjmp(*c.jump, 1);
}

}  // namespace detail

using namespace detail;

void setInstrumented(bool on) {
  instrumented() = on;
  setGuardPages(on);
}

void ArrayDeleter::operator()(mxArray* a) const { deleteArray(a); }

Array makeArray(mxClassID cls, std::size_t m, std::size_t n, bool complex) {
  mxArray* a = newArray(cls, m, n, complex, false, m * n);
  if (!a) throw std::bad_alloc();
  return Array(a);
}

Array makeDouble(std::size_t m, std::size_t n, const std::vector<double>& re,
                 const std::vector<double>& im) {
  if ((!re.empty() && re.size() != m * n) || (!im.empty() && im.size() != m * n))
    throw std::invalid_argument("makeDouble: value count does not match m*n");
  Array a = makeArray(mxDOUBLE_CLASS, m, n, !im.empty());
  if (!re.empty()) std::memcpy(a->re.data, re.data(), re.size() * sizeof(double));
  if (!im.empty()) std::memcpy(a->im.data, im.data(), im.size() * sizeof(double));
  return a;
}

Array makeScalar(double v) { return makeDouble(1, 1, {v}); }

Array makeDataless(std::size_t m, std::size_t n) {
  mxArray* a = newArray(mxDOUBLE_CLASS, m, n, false, false, 0);
  if (!a) throw std::bad_alloc();
  return Array(a);
}

Array makeSparse(std::size_t m, std::size_t n, std::size_t nonzeros) {
  mxArray* a = newArray(mxDOUBLE_CLASS, m, n, false, true, nonzeros);
  if (!a) throw std::bad_alloc();
  for (std::size_t i = 0; i < nonzeros; ++i) static_cast<double*>(a->re.data)[i] = 1.0;
  return Array(a);
}

std::size_t rows(const mxArray* a) { return a->m; }
std::size_t cols(const mxArray* a) { return a->n; }
mxClassID classOf(const mxArray* a) { return a->cls; }
bool isComplex(const mxArray* a) { return a->complex; }
void* realData(const mxArray* a) { return a->re.data; }
void* imagData(const mxArray* a) { return a->im.data; }

std::vector<double> doubles(const mxArray* a) {
  if (a->cls != mxDOUBLE_CLASS) throw std::invalid_argument("doubles: not a double array");
  const auto* p = static_cast<const double*>(a->re.data);
  return p ? std::vector<double>(p, p + a->stored) : std::vector<double>();
}

void fill(mxArray* a, const std::vector<double>& values) {
  if (values.size() != a->stored) throw std::invalid_argument("fill: value count mismatch");
  void* d = a->re.data;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double v = values[i];
    switch (a->cls) {
      case mxDOUBLE_CLASS: static_cast<double*>(d)[i] = v; break;
      case mxSINGLE_CLASS: static_cast<float*>(d)[i] = static_cast<float>(v); break;
      case mxINT8_CLASS: static_cast<std::int8_t*>(d)[i] = static_cast<std::int8_t>(v); break;
      case mxUINT8_CLASS: static_cast<std::uint8_t*>(d)[i] = static_cast<std::uint8_t>(v); break;
      case mxLOGICAL_CLASS: static_cast<std::uint8_t*>(d)[i] = v != 0; break;
      case mxCHAR_CLASS: static_cast<std::uint16_t*>(d)[i] = static_cast<std::uint16_t>(v); break;
      case mxINT16_CLASS: static_cast<std::int16_t*>(d)[i] = static_cast<std::int16_t>(v); break;
      case mxUINT16_CLASS: static_cast<std::uint16_t*>(d)[i] = static_cast<std::uint16_t>(v); break;
      case mxINT32_CLASS: static_cast<std::int32_t*>(d)[i] = static_cast<std::int32_t>(v); break;
      case mxUINT32_CLASS: static_cast<std::uint32_t*>(d)[i] = static_cast<std::uint32_t>(v); break;
      case mxINT64_CLASS: static_cast<std::int64_t*>(d)[i] = static_cast<std::int64_t>(v); break;
      case mxUINT64_CLASS: static_cast<std::uint64_t*>(d)[i] = static_cast<std::uint64_t>(v); break;
      default: throw std::invalid_argument("fill: class holds no numeric data");
    }
  }
}

}  // namespace testhost

using testhost::detail::access;
using testhost::detail::ctx;
using testhost::detail::violation;

extern "C" {

TESTHOST_API double* mxGetPr(const mxArray* a) {
  if (!access("mxGetPr", a)) return nullptr;
  if (a->cls != mxDOUBLE_CLASS) violation("mxGetPr on a non-double array");
  return static_cast<double*>(a->re.data);
}

TESTHOST_API void* mxGetData(const mxArray* a) {
  if (!access("mxGetData", a)) return nullptr;
  return a->re.data;
}

TESTHOST_API std::size_t mxGetM(const mxArray* a) { return access("mxGetM", a) ? a->m : 0; }
TESTHOST_API std::size_t mxGetN(const mxArray* a) { return access("mxGetN", a) ? a->n : 0; }

TESTHOST_API std::size_t mxGetNumberOfElements(const mxArray* a) {
  return access("mxGetNumberOfElements", a) ? a->m * a->n : 0;
}

TESTHOST_API std::size_t mxGetElementSize(const mxArray* a) {
  return access("mxGetElementSize", a) ? testhost::detail::elementSize(a->cls) : 0;
}

TESTHOST_API double mxGetScalar(const mxArray* a) {
  if (!access("mxGetScalar", a)) return 0.0;
  if (a->stored == 0 || !a->re.data) {
    if (!a->sparse) violation("mxGetScalar of an empty array");
    return 0.0;
  }
  const void* d = a->re.data;
  switch (a->cls) {
    case mxDOUBLE_CLASS: return *static_cast<const double*>(d);
    case mxSINGLE_CLASS: return *static_cast<const float*>(d);
    case mxINT8_CLASS: return *static_cast<const std::int8_t*>(d);
    case mxUINT8_CLASS: case mxLOGICAL_CLASS: return *static_cast<const std::uint8_t*>(d);
    case mxCHAR_CLASS: case mxUINT16_CLASS: return *static_cast<const std::uint16_t*>(d);
    case mxINT16_CLASS: return *static_cast<const std::int16_t*>(d);
    case mxINT32_CLASS: return *static_cast<const std::int32_t*>(d);
    case mxUINT32_CLASS: return *static_cast<const std::uint32_t*>(d);
    case mxINT64_CLASS: return static_cast<double>(*static_cast<const std::int64_t*>(d));
    case mxUINT64_CLASS: return static_cast<double>(*static_cast<const std::uint64_t*>(d));
    default: violation("mxGetScalar of a non-numeric array"); return 0.0;
  }
}

TESTHOST_API mxClassID mxGetClassID(const mxArray* a) {
  return access("mxGetClassID", a) ? a->cls : mxUNKNOWN_CLASS;
}
TESTHOST_API bool mxIsDouble(const mxArray* a) {
  return access("mxIsDouble", a) && a->cls == mxDOUBLE_CLASS;
}
TESTHOST_API bool mxIsSparse(const mxArray* a) { return access("mxIsSparse", a) && a->sparse; }
TESTHOST_API bool mxIsComplex(const mxArray* a) { return access("mxIsComplex", a) && a->complex; }
TESTHOST_API bool mxIsLogical(const mxArray* a) {
  return access("mxIsLogical", a) && a->cls == mxLOGICAL_CLASS;
}
TESTHOST_API bool mxIsNumeric(const mxArray* a) {
  return access("mxIsNumeric", a) && testhost::detail::isNumericClass(a->cls);
}

TESTHOST_API mxArray* mxCreateDoubleMatrix_700(int m, int n, mxComplexity flag) {
  auto& c = ctx();
  if (!c.active) std::abort();
  if (testhost::detail::instrumented())
    c.log.push_back("mxCreateDoubleMatrix_700(" + std::to_string(m) + "," + std::to_string(n) +
                    "," + std::to_string(static_cast<int>(flag)) + ")");
  if (m < 0 || n < 0) violation("mxCreateDoubleMatrix_700 with a negative size");
  if (flag != mxREAL && flag != mxCOMPLEX) violation("mxCreateDoubleMatrix_700 with a bad flag");
  const std::size_t rows = m < 0 ? 0 : static_cast<std::size_t>(m);
  const std::size_t cols = n < 0 ? 0 : static_cast<std::size_t>(n);
  mxArray* a = testhost::detail::newArray(mxDOUBLE_CLASS, rows, cols, flag == mxCOMPLEX, false,
                                          rows * cols);
  if (!a) testhost::detail::raise("MATLAB:nomem", "Out of memory");
  c.labels[a] = "new" + std::to_string(c.created.size());
  c.created.push_back(a);
  return a;
}

TESTHOST_API void* mxCalloc(std::size_t count, std::size_t size) {
  auto& c = ctx();
  if (!c.active) std::abort();
  if (testhost::detail::instrumented())
    c.log.push_back("mxCalloc(" + std::to_string(count) + "," + std::to_string(size) + ")");
  if (size != 0 && count > static_cast<std::size_t>(-1) / size)
    testhost::detail::raise("MATLAB:nomem", "Out of memory");
  Guarded g = testhost::detail::guardedAlloc(count * size);
  if (!g.base) testhost::detail::raise("MATLAB:nomem", "Out of memory");
  // The block is zeroed, but deliverables must not depend on that: under
  // valgrind its bytes count as undefined, so any result or decision that
  // depends on them is reported.
  VALGRIND_MAKE_MEM_UNDEFINED(g.data, count * size);
  c.scratch[g.data] = g;
  c.scratchIndex[g.data] = c.scratchTaken++;
  return g.data;
}

TESTHOST_API void mxFree(void* p) {
  auto& c = ctx();
  if (!c.active) std::abort();
  auto it = c.scratch.find(p);
  if (testhost::detail::instrumented())
    c.log.push_back(!p ? std::string("mxFree(null)")
                       : it == c.scratch.end() ? std::string("mxFree(?)")
                                               : "mxFree(scratch" + std::to_string(c.scratchIndex[p]) + ")");
  if (!p) return;
  if (it == c.scratch.end()) {
    violation("mxFree of a pointer mxCalloc did not return");
    return;
  }
  testhost::detail::guardedFree(it->second);
  c.scratch.erase(it);
  c.scratchIndex.erase(p);
}

}  // extern "C"
