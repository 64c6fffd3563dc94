// W = walshOrdered(A, ordering): seqSpectrum(A) with the rows of every column
// in sequency (0), Hadamard (1) or dyadic (2) order, reordered in the plug-in
// while each column is in cache. The engine of walshSpectrum.
#include <cstdint>

#include "host/gateway.h"
#include "walsh/gateway.h"

namespace {
enum { IN_A, IN_ORDERING, IN_COUNT };
constexpr char kFn[] = "walshOrdered";
}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs != IN_COUNT) gateway::fail(kFn, "usage", "Usage: W = walshOrdered (A, ordering)");
  if (nlhs > 1) mexErrMsgTxt("Too many output arguments.");

  gateway::requireFullNumeric(prhs[IN_A], kFn, "A");
  const std::int32_t code = gateway::intParam(prhs[IN_ORDERING], kFn, "ordering");
  if (code < 0 || code > 2)
    gateway::fail(kFn, "badOrdering", "ordering must be 0 (sequency), 1 (Hadamard) or 2 (dyadic), not %d",
                  code);
  plhs[0] = walsh::spectra(prhs[IN_A], kFn, static_cast<walsh::Ordering>(code));
}
