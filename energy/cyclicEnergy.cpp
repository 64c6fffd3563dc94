// ell = cyclicEnergy(p, rM, iM, m, n, np): for each of the m*n cyclic shifts
// of an m-by-n grid, the energy of the field rM + i*iM summed over the
// point-reflected, shifted positions p(1:np), as a 1-by-m*n row.
#include <cstdint>
#include <initializer_list>

#include "energy/energy.h"
#include "energy/inputs.h"
#include "host/gateway.h"

namespace {
enum { IN_P, IN_RM, IN_IM, IN_M, IN_N, IN_NP, IN_COUNT };
constexpr char kFn[] = "cyclicEnergy";
}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs != IN_COUNT || nlhs > 1) mexErrMsgTxt("Usage: ell = cycEnergy (p, rM, iM, m, n, np)");

  const long long m = gateway::intParam(prhs[IN_M], kFn, "m");
  const long long n = gateway::intParam(prhs[IN_N], kFn, "n");
  const long long np = gateway::intParam(prhs[IN_NP], kFn, "np");
  if (m < 0 || n < 0)
    gateway::fail(kFn, "negativeSize", "Grid size m = %lld, n = %lld must not be negative", m, n);
  const long long cells = m * n;
  if (cells > INT32_MAX)
    gateway::fail(kFn, "tooLarge", "The grid must have fewer than 2^31 points, not m*n = %lld",
                  cells);

  const energy::Values p = energy::readValues(prhs[IN_P], kFn, "p");
  const energy::Values rM = energy::readValues(prhs[IN_RM], kFn, "rM");
  const energy::Values iM = energy::readValues(prhs[IN_IM], kFn, "iM");
  const std::size_t count = mxGetNumberOfElements(prhs[IN_P]);
  if (np > 0 && static_cast<unsigned long long>(np) > count)
    gateway::fail(kFn, "tooFewPositions", "np = %lld exceeds the %zu elements of p", np, count);
  for (int in : {IN_RM, IN_IM})
    if (mxGetNumberOfElements(prhs[in]) < static_cast<std::size_t>(cells))
      gateway::fail(kFn, "tooFewElements", "%s holds %zu elements, fewer than m*n = %lld",
                    in == IN_RM ? "rM" : "iM", mxGetNumberOfElements(prhs[in]), cells);
  // With no grid points nothing is summed, and no position is read.
  const long long bad = cells > 0 ? energy::firstBadPosition(p, np, cells) : -1;
  if (bad >= 0)
    gateway::fail(kFn, "positionOutOfRange",
                  "p(%lld) = %.16g lies outside the grid positions 1 .. %lld after truncation",
                  bad + 1, energy::valueAt(p, bad), cells);

  plhs[0] = mxCreateDoubleMatrix(1, static_cast<int>(cells), mxREAL);
  energy::cyclicEnergy(p, np, rM, iM, m, n, mxGetPr(plhs[0]));
}
