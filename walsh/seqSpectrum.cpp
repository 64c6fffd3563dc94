// W = seqSpectrum(A): for every column of A, the sequency-ordered Walsh–Hadamard
// spectrum of the column extended with zeros to L = 2^k >= M rows, divided by L.
#include <cstdint>

#include "host/gateway.h"
#include "walsh/transform.h"

namespace {
enum { IN_A, IN_COUNT };
constexpr char kFn[] = "seqSpectrum";
}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs != IN_COUNT) mexErrMsgTxt("Only one input arguments required.");
  if (nlhs > 1) mexErrMsgTxt("Too many output arguments.");

  const mxArray* A = prhs[IN_A];
  gateway::requireFullNumeric(A, kFn, "A");
  const std::size_t M = mxGetM(A);
  const std::size_t N = mxGetN(A);
  if (M > static_cast<std::size_t>(walsh::kMaxRows))
    gateway::fail(kFn, "tooLarge", "A has %zu rows; at most 2^30 are supported", M);
  const std::int32_t L = walsh::paddedLength(static_cast<std::int32_t>(M));
  // L >= M, so this also keeps M*N below 2^31.
  if (N > static_cast<std::size_t>(INT32_MAX / L))
    gateway::fail(kFn, "tooLarge", "The %d-by-%zu result must have fewer than 2^31 elements", L, N);

  plhs[0] = mxCreateDoubleMatrix(L, static_cast<int>(N), mxREAL);
  double* W = mxGetPr(plhs[0]);
  gateway::withRealData(A, [&](const auto* a) {
    // An empty result needs no scratch: no column, nothing to transform. (The
    // host may zero what it hands out, at any size: L is up to 2^30.)
    if (N == 0) return;
    walsh::Scratch s;
    s.current = static_cast<double*>(mxCalloc(L, sizeof(double)));
    s.next = static_cast<double*>(mxCalloc(L, sizeof(double)));
    walsh::transformColumns(a, static_cast<std::int32_t>(M), static_cast<std::int32_t>(N), W, s);
    mxFree(s.next);
    mxFree(s.current);
  });
}
