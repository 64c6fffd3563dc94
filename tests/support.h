// Helpers shared by the test programs: loading the shipped plug-ins through
// the test host, building argument lists, and comparing doubles bit for bit.
#ifndef TOOLBOX_TESTS_SUPPORT_H
#define TOOLBOX_TESTS_SUPPORT_H

#include <gtest/gtest.h>

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
  if (!p) p = std::make_unique<testhost::Plugin>(std::string(TOOLBOX_DIST_DIR) + "/" + name +
                                                 TOOLBOX_MEX_SUFFIX);
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

inline std::uint64_t bits(double v) {
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

}  // namespace support

#endif
