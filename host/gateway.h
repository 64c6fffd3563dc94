// Checks and conversions that every gateway performs on its inputs, written
// once over a host adapter H (host/mex_host.h for MEX files, host/octave_host.h
// for native Octave functions), so that every entry of a function reads and
// checks its arguments with the same code. Header-only: each deliverable
// compiles its own copy, so the deliverables share no code at run time.
//
// An adapter h of type H offers, for an argument a of type H::Arg:
//   h.nlhs(), h.nrhs(), h.in(k)           outputs asked for, inputs, input k
//   h.isNumeric(a), h.isLogical(a), h.isSparse(a)
//   h.numel(a), h.rows(a), h.cols(a)      cols: all dimensions after the first
//   h.scalar(a)                           the first element as a double (real part)
//   h.withRealData(a, f)                  f(const T* data), T the element type
//   h.output(rows, cols)                  creates the result, returns its data
//   h.scratch(n), h.release(p)            n doubles of working memory
//   h.usage(message), h.raise(id, message) end the call (no return)
// usage ends it with a message of its own and no identifier.
#ifndef TOOLBOX_HOST_GATEWAY_H
#define TOOLBOX_HOST_GATEWAY_H

#include <cstdarg>
#include <cstdint>
#include <cstdio>

// mingw-w64 formats with its own C99 printf (%zu and all), not the system's.
#if defined(__MINGW_PRINTF_FORMAT)
#define GATEWAY_PRINTF_FORMAT __MINGW_PRINTF_FORMAT
#else
#define GATEWAY_PRINTF_FORMAT printf
#endif

namespace gateway {

// Ends the call with the identifier "<fn>:<reason>" and a printf-style message.
template <class H>
[[noreturn]] void fail(H& h, const char* fn, const char* reason, const char* format, ...)
    __attribute__((format(GATEWAY_PRINTF_FORMAT, 4, 5)));

template <class H>
void fail(H& h, const char* fn, const char* reason, const char* format, ...) {
  char id[96];
  char message[256];
  std::snprintf(id, sizeof id, "%s:%s", fn, reason);
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  h.raise(id, message);
}

template <class H>
bool isNumericOrLogical(H& h, typename H::Arg a) {
  return h.isNumeric(a) || h.isLogical(a);
}

// An integer parameter: the first element of a real numeric or logical array,
// truncated toward zero. Only values whose truncation fits in 32 bits convert;
// empty, sparse, non-numeric, NaN and infinite parameters end the call.
template <class H>
std::int32_t intParam(H& h, typename H::Arg a, const char* fn, const char* name) {
  if (!isNumericOrLogical(h, a) || h.isSparse(a))
    fail(h, fn, "badParameter", "Parameter %s must be a full numeric or logical scalar", name);
  if (h.numel(a) == 0) fail(h, fn, "badParameter", "Parameter %s is empty", name);
  const double v = h.scalar(a);
  if (v != v || v - v != 0.0) fail(h, fn, "badParameter", "Parameter %s is not finite", name);
  // Truncation of v fits in int32 exactly when -2^31 - 1 < v < 2^31.
  if (!(v > -2147483649.0 && v < 2147483648.0))
    fail(h, fn, "badParameter", "Parameter %s = %.17g lies outside the 32-bit integer range", name,
         v);
  return static_cast<std::int32_t>(v);
}

// A data input must be a full numeric or logical array; its class decides how
// its values convert to double (see H::withRealData: logical as uint8, the
// real part of complex data).
template <class H>
void requireFullNumeric(H& h, typename H::Arg a, const char* fn, const char* name) {
  if (!isNumericOrLogical(h, a))
    fail(h, fn, "badInput", "%s must be a numeric or logical array", name);
  if (h.isSparse(a)) fail(h, fn, "sparseInput", "%s must be a full matrix, not sparse", name);
}

}  // namespace gateway

#endif
