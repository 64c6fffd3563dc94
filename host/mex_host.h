// The host adapter of the MEX gateways (see host/gateway.h): every member is
// one host call, or a few, in the order the gateways have always made them.
// The adapter is trivially destructible and the gateways keep nothing with a
// destructor alive across a host call, since a host call that ends the call
// may not unwind through the plug-in.
#ifndef TOOLBOX_HOST_MEX_HOST_H
#define TOOLBOX_HOST_MEX_HOST_H

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "mex.h"

namespace gateway {

struct MexHost {
  using Arg = const mxArray*;

  int nlhs_;
  mxArray** plhs_;
  int nrhs_;
  const mxArray** prhs_;

  int nlhs() const { return nlhs_; }
  int nrhs() const { return nrhs_; }
  Arg in(int k) const { return prhs_[k]; }

  bool isNumeric(Arg a) const { return mxIsNumeric(a); }
  bool isLogical(Arg a) const { return mxIsLogical(a); }
  bool isSparse(Arg a) const { return mxIsSparse(a); }
  std::size_t numel(Arg a) const { return mxGetNumberOfElements(a); }
  std::size_t rows(Arg a) const { return mxGetM(a); }
  std::size_t cols(Arg a) const { return mxGetN(a); }
  double scalar(Arg a) const { return mxGetScalar(a); }

  // Calls f(const T* data) with the real data of a (a full numeric or logical
  // array) typed as its element type. The pointer may be null for an empty
  // array.
  template <class F>
  void withRealData(Arg a, F&& f) const {
    const mxClassID cls = mxGetClassID(a);
    if (cls == mxDOUBLE_CLASS) {
      f(static_cast<const double*>(mxGetPr(a)));
      return;
    }
    void* data = mxGetData(a);
    switch (cls) {
      case mxSINGLE_CLASS: f(static_cast<const float*>(data)); return;
      case mxINT8_CLASS: f(static_cast<const std::int8_t*>(data)); return;
      case mxLOGICAL_CLASS:
      case mxUINT8_CLASS: f(static_cast<const std::uint8_t*>(data)); return;
      case mxINT16_CLASS: f(static_cast<const std::int16_t*>(data)); return;
      case mxUINT16_CLASS: f(static_cast<const std::uint16_t*>(data)); return;
      case mxINT32_CLASS: f(static_cast<const std::int32_t*>(data)); return;
      case mxUINT32_CLASS: f(static_cast<const std::uint32_t*>(data)); return;
      case mxINT64_CLASS: f(static_cast<const std::int64_t*>(data)); return;
      case mxUINT64_CLASS: f(static_cast<const std::uint64_t*>(data)); return;
      default: break;
    }
    std::abort();  // unreachable after requireFullNumeric
  }

  // The host hands out the result zeroed.
  double* output(std::int32_t rows, std::int32_t cols) {
    plhs_[0] = mxCreateDoubleMatrix(rows, cols, mxREAL);
    return mxGetPr(plhs_[0]);
  }
  static constexpr bool kOutputZeroed = true;

  double* scratch(std::size_t n) { return static_cast<double*>(mxCalloc(n, sizeof(double))); }
  void release(double* p) { mxFree(p); }

  [[noreturn]] void usage(const char* message) {
    mexErrMsgTxt(message);
    std::abort();  // the host never returns from an error
  }
  [[noreturn]] void raise(const char* id, const char* message) {
    mexErrMsgIdAndTxt(id, "%s", message);
    std::abort();
  }
};

}  // namespace gateway

#endif
