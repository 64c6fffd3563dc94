// The Walsh gateways (seqSpectrum, walshOrdered) over a host adapter
// (host/gateway.h): checks, the size limits, the output and the call into the
// core. The MEX file and the native Octave function of each call the same
// body.
#ifndef TOOLBOX_WALSH_GATEWAY_H
#define TOOLBOX_WALSH_GATEWAY_H

#include <cstddef>
#include <cstdint>

#include "host/gateway.h"
#include "walsh/transform.h"

namespace walsh {

// The L-by-N spectra of A (checked by gateway::requireFullNumeric) in the
// given row order, as the result. Sizes beyond the 32-bit limits end the call
// as "<fn>:tooLarge" before any output exists. Every entry of the result is
// written.
template <class H>
void spectra(H& h, typename H::Arg A, const char* fn, Ordering ordering) {
  const std::size_t M = h.rows(A);
  const std::size_t N = h.cols(A);
  if (M > static_cast<std::size_t>(kMaxRows))
    gateway::fail(h, fn, "tooLarge", "A has %zu rows; at most 2^30 are supported", M);
  const std::int32_t L = paddedLength(static_cast<std::int32_t>(M));
  // L >= M, so this also keeps M*N below 2^31.
  if (N > static_cast<std::size_t>(INT32_MAX / L))
    gateway::fail(h, fn, "tooLarge", "The %d-by-%zu result must have fewer than 2^31 elements", L,
                  N);

  double* W = h.output(L, static_cast<std::int32_t>(N));
  h.withRealData(A, [&](const auto* a) {
    // An empty result needs no scratch: no column, nothing to transform. (The
    // host may zero what it hands out, at any size: L is up to 2^30.)
    if (N == 0) return;
    Scratch s;
    s.current = h.scratch(static_cast<std::size_t>(L));
    s.next = h.scratch(static_cast<std::size_t>(L));
    orderedColumns(a, static_cast<std::int32_t>(M), static_cast<std::int32_t>(N), W, s, ordering);
    h.release(s.next);
    h.release(s.current);
  });
}

// W = seqSpectrum(A)
template <class H>
void seqSpectrumGateway(H& h) {
  enum { IN_A, IN_COUNT };
  constexpr const char* fn = "seqSpectrum";
  if (h.nrhs() != IN_COUNT) h.usage("Only one input arguments required.");
  if (h.nlhs() > 1) h.usage("Too many output arguments.");

  gateway::requireFullNumeric(h, h.in(IN_A), fn, "A");
  spectra(h, h.in(IN_A), fn, Ordering::sequency);
}

// W = walshOrdered(A, ordering)
template <class H>
void walshOrderedGateway(H& h) {
  enum { IN_A, IN_ORDERING, IN_COUNT };
  constexpr const char* fn = "walshOrdered";
  if (h.nrhs() != IN_COUNT) gateway::fail(h, fn, "usage", "Usage: W = walshOrdered (A, ordering)");
  if (h.nlhs() > 1) h.usage("Too many output arguments.");

  gateway::requireFullNumeric(h, h.in(IN_A), fn, "A");
  const std::int32_t code = gateway::intParam(h, h.in(IN_ORDERING), fn, "ordering");
  if (code < 0 || code > 2)
    gateway::fail(h, fn, "badOrdering",
                  "ordering must be 0 (sequency), 1 (Hadamard) or 2 (dyadic), not %d", code);
  spectra(h, h.in(IN_A), fn, static_cast<Ordering>(code));
}

}  // namespace walsh

#endif
