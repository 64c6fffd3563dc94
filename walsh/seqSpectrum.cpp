// W = seqSpectrum(A): for every column of A, the sequency-ordered Walsh–Hadamard
// spectrum of the column extended with zeros to L = 2^k >= M rows, divided by L.
#include "host/gateway.h"
#include "walsh/gateway.h"

namespace {
enum { IN_A, IN_COUNT };
constexpr char kFn[] = "seqSpectrum";
}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs != IN_COUNT) mexErrMsgTxt("Only one input arguments required.");
  if (nlhs > 1) mexErrMsgTxt("Too many output arguments.");

  gateway::requireFullNumeric(prhs[IN_A], kFn, "A");
  plhs[0] = walsh::spectra(prhs[IN_A], kFn, walsh::Ordering::sequency);
}
