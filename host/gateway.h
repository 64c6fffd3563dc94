// Checks and conversions that every gateway performs on its inputs. Header-only:
// each deliverable compiles its own copy, so the deliverables share no code at
// run time.
#ifndef TOOLBOX_HOST_GATEWAY_H
#define TOOLBOX_HOST_GATEWAY_H

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "mex.h"

// mingw-w64 formats with its own C99 printf (%zu and all), not the system's.
#if defined(__MINGW_PRINTF_FORMAT)
#define GATEWAY_PRINTF_FORMAT __MINGW_PRINTF_FORMAT
#else
#define GATEWAY_PRINTF_FORMAT printf
#endif

namespace gateway {

// Ends the call with the identifier "<fn>:<reason>" and a printf-style message.
[[noreturn]] inline void fail(const char* fn, const char* reason, const char* format, ...)
    __attribute__((format(GATEWAY_PRINTF_FORMAT, 3, 4)));

inline void fail(const char* fn, const char* reason, const char* format, ...) {
  char id[96];
  char message[256];
  std::snprintf(id, sizeof id, "%s:%s", fn, reason);
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  mexErrMsgIdAndTxt(id, "%s", message);
  std::abort();  // the host never returns from an error
}

inline bool isNumericOrLogical(const mxArray* a) { return mxIsNumeric(a) || mxIsLogical(a); }

// An integer parameter: the first element of a real numeric or logical array,
// truncated toward zero. Only values whose truncation fits in 32 bits convert;
// empty, sparse, non-numeric, NaN and infinite parameters end the call.
inline std::int32_t intParam(const mxArray* a, const char* fn, const char* name) {
  if (!isNumericOrLogical(a) || mxIsSparse(a))
    fail(fn, "badParameter", "Parameter %s must be a full numeric or logical scalar", name);
  if (mxGetNumberOfElements(a) == 0) fail(fn, "badParameter", "Parameter %s is empty", name);
  const double v = mxGetScalar(a);
  if (v != v || v - v != 0.0) fail(fn, "badParameter", "Parameter %s is not finite", name);
  // Truncation of v fits in int32 exactly when -2^31 - 1 < v < 2^31.
  if (!(v > -2147483649.0 && v < 2147483648.0))
    fail(fn, "badParameter", "Parameter %s = %.17g lies outside the 32-bit integer range", name, v);
  return static_cast<std::int32_t>(v);
}

// A data input must be a full numeric or logical array; its class decides how
// its values convert to double (see withRealData).
inline void requireFullNumeric(const mxArray* a, const char* fn, const char* name) {
  if (!isNumericOrLogical(a))
    fail(fn, "badInput", "%s must be a numeric or logical array", name);
  if (mxIsSparse(a)) fail(fn, "sparseInput", "%s must be a full matrix, not sparse", name);
}

// Calls f(const T* data) with the real data of a (checked by requireFullNumeric)
// typed as its element type. The pointer may be null for an empty array.
template <class F>
void withRealData(const mxArray* a, F&& f) {
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

}  // namespace gateway

#endif
