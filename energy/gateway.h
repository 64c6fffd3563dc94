// The cyclicEnergy gateway over a host adapter (host/gateway.h): reading and
// checking the six arguments, creating the result and calling the core. The
// MEX file and the native Octave function call the same body.
#ifndef TOOLBOX_ENERGY_GATEWAY_H
#define TOOLBOX_ENERGY_GATEWAY_H

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "energy/energy.h"
#include "energy/values.h"
#include "host/gateway.h"

namespace energy {

// The real data of a full numeric or logical input, tagged with its element
// type (logical as uint8); other inputs end the call.
template <class H>
Values readValues(H& h, typename H::Arg a, const char* fn, const char* name) {
  gateway::requireFullNumeric(h, a, fn, name);
  Values v{nullptr, elements::Type::f64};
  h.withRealData(a, [&](const auto* data) { v = Values::of(data); });
  return v;
}

// ell = cyclicEnergy(p, rM, iM, m, n, np)
template <class H>
void cyclicEnergyGateway(H& h) {
  enum { IN_P, IN_RM, IN_IM, IN_M, IN_N, IN_NP, IN_COUNT };
  constexpr const char* fn = "cyclicEnergy";
  if (h.nrhs() != IN_COUNT || h.nlhs() > 1) h.usage("Usage: ell = cycEnergy (p, rM, iM, m, n, np)");

  const long long m = gateway::intParam(h, h.in(IN_M), fn, "m");
  const long long n = gateway::intParam(h, h.in(IN_N), fn, "n");
  const long long np = gateway::intParam(h, h.in(IN_NP), fn, "np");
  if (m < 0 || n < 0)
    gateway::fail(h, fn, "negativeSize", "Grid size m = %lld, n = %lld must not be negative", m, n);
  const long long cells = m * n;
  if (cells > INT32_MAX)
    gateway::fail(h, fn, "tooLarge", "The grid must have fewer than 2^31 points, not m*n = %lld",
                  cells);

  const Values p = readValues(h, h.in(IN_P), fn, "p");
  const Values rM = readValues(h, h.in(IN_RM), fn, "rM");
  const Values iM = readValues(h, h.in(IN_IM), fn, "iM");
  const std::size_t count = h.numel(h.in(IN_P));
  if (np > 0 && static_cast<unsigned long long>(np) > count)
    gateway::fail(h, fn, "tooFewPositions", "np = %lld exceeds the %zu elements of p", np, count);
  for (int in : {IN_RM, IN_IM})
    if (h.numel(h.in(in)) < static_cast<std::size_t>(cells))
      gateway::fail(h, fn, "tooFewElements", "%s holds %zu elements, fewer than m*n = %lld",
                    in == IN_RM ? "rM" : "iM", h.numel(h.in(in)), cells);
  // With no grid points nothing is summed, and no position is read.
  const long long bad = cells > 0 ? firstBadPosition(p, np, cells) : -1;
  if (bad >= 0)
    gateway::fail(h, fn, "positionOutOfRange",
                  "p(%lld) = %.16g lies outside the grid positions 1 .. %lld after truncation",
                  bad + 1, valueAt(p, bad), cells);

  // The core writes every entry, zeros included.
  double* ell = h.output(1, static_cast<std::int32_t>(cells));
  cyclicEnergy(p, np, rM, iM, m, n, ell);
}

}  // namespace energy

#endif
