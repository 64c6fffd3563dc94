// A host of our own for tests, benchmarks and fuzzers: it implements the host
// functions declared in host/mex.h under the same library names (libmx, libmex,
// libmat), loads a built deliverable and calls its mexFunction.
//
// Array data sit directly in front of an inaccessible page, so a read or write
// past the end of any input or output faults at once. Every host call made by
// the deliverable is logged, and uses that break the host contract (mxGetPr of
// a non-double array, unknown array handles, scratch that is never freed, ...)
// are recorded as violations.
#ifndef TOOLBOX_TESTHOST_H
#define TOOLBOX_TESTHOST_H

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "mex.h"

#if defined(_WIN32)
#define TESTHOST_API __declspec(dllexport)
#else
#define TESTHOST_API __attribute__((visibility("default")))
#endif

namespace testhost {

struct TESTHOST_API ArrayDeleter {
  void operator()(mxArray* a) const;
};
using Array = std::unique_ptr<mxArray, ArrayDeleter>;

// Guard pages behind every array and scratch block, the call log and the check
// that inputs stay unchanged: all on by default. Benchmarks of small calls turn
// them off, so that arrays are plain aligned heap memory and a call costs
// about what it costs in a production host.
TESTHOST_API void setInstrumented(bool on);

// A full double matrix; `re` (and `im`, which makes it complex) hold m*n values
// in column order, or are empty for all zeros.
TESTHOST_API Array makeDouble(std::size_t m, std::size_t n, const std::vector<double>& re = {},
                              const std::vector<double>& im = {});
TESTHOST_API Array makeScalar(double v);
// A full numeric, logical or char array of the given class, every element zero.
TESTHOST_API Array makeArray(mxClassID cls, std::size_t m, std::size_t n, bool complex = false);
// A sparse double matrix holding `nonzeros` stored values (all 1.0).
TESTHOST_API Array makeSparse(std::size_t m, std::size_t n, std::size_t nonzeros = 0);
// A full double array that reports m-by-n but holds no data (its data pointer
// is null), for sizes too large to allocate: only for calls that must refuse
// the size before reading any data.
TESTHOST_API Array makeDataless(std::size_t m, std::size_t n);

TESTHOST_API std::size_t rows(const mxArray* a);
TESTHOST_API std::size_t cols(const mxArray* a);
TESTHOST_API mxClassID classOf(const mxArray* a);
TESTHOST_API bool isComplex(const mxArray* a);

// Raw access for filling and reading arrays in tests.
TESTHOST_API void* realData(const mxArray* a);
TESTHOST_API void* imagData(const mxArray* a);
TESTHOST_API std::vector<double> doubles(const mxArray* a);  // real part of a double array

// Fills the real data of any numeric or logical array from doubles, converting
// each value with a C++ cast to the element type.
TESTHOST_API void fill(mxArray* a, const std::vector<double>& values);

struct CallResult {
  bool ok = false;                      // mexFunction returned normally
  std::string id;                       // identifier of the raised error, if any
  std::string message;                  // message of the raised error, if any
  std::vector<Array> outputs;           // the output slots after a normal return
  std::vector<std::string> log;         // host calls in the order made; mxFree names its
                                        // block by mxCalloc order: "mxFree(scratch0)"
  std::vector<std::string> violations;  // breaches of the host contract
  std::size_t arraysCreated = 0;        // arrays created during the call
  std::size_t scratchLeft = 0;          // mxCalloc blocks still held at the end
};

class TESTHOST_API Plugin {
 public:
  // Loads a deliverable; throws std::runtime_error when it cannot.
  explicit Plugin(const std::string& path);
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  CallResult call(int nlhs, const std::vector<const mxArray*>& inputs) const;
  const std::string& path() const { return path_; }

 private:
  using Entry = void (*)(int, mxArray**, int, const mxArray**);
  std::string path_;
  void* handle_ = nullptr;
  Entry entry_ = nullptr;
};

}  // namespace testhost

#endif
