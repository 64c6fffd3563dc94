// What the Walsh gateways (seqSpectrum, walshOrdered) share once A has been
// checked: the size limits, the output and the call into the core.
#ifndef TOOLBOX_WALSH_GATEWAY_H
#define TOOLBOX_WALSH_GATEWAY_H

#include <cstdint>

#include "host/gateway.h"
#include "walsh/transform.h"

namespace walsh {

// The L-by-N spectra of A (checked by gateway::requireFullNumeric) in the
// given row order. Sizes beyond the 32-bit limits end the call as
// "<fn>:tooLarge" before any output exists.
inline mxArray* spectra(const mxArray* A, const char* fn, Ordering ordering) {
  const std::size_t M = mxGetM(A);
  const std::size_t N = mxGetN(A);
  if (M > static_cast<std::size_t>(kMaxRows))
    gateway::fail(fn, "tooLarge", "A has %zu rows; at most 2^30 are supported", M);
  const std::int32_t L = paddedLength(static_cast<std::int32_t>(M));
  // L >= M, so this also keeps M*N below 2^31.
  if (N > static_cast<std::size_t>(INT32_MAX / L))
    gateway::fail(fn, "tooLarge", "The %d-by-%zu result must have fewer than 2^31 elements", L, N);

  mxArray* out = mxCreateDoubleMatrix(L, static_cast<int>(N), mxREAL);
  double* W = mxGetPr(out);
  gateway::withRealData(A, [&](const auto* a) {
    // An empty result needs no scratch: no column, nothing to transform. (The
    // host may zero what it hands out, at any size: L is up to 2^30.)
    if (N == 0) return;
    Scratch s;
    s.current = static_cast<double*>(mxCalloc(L, sizeof(double)));
    s.next = static_cast<double*>(mxCalloc(L, sizeof(double)));
    orderedColumns(a, static_cast<std::int32_t>(M), static_cast<std::int32_t>(N), W, s, ordering);
    mxFree(s.next);
    mxFree(s.current);
  });
  return out;
}

}  // namespace walsh

#endif
