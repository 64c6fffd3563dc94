// W = seqSpectrum(A): for every column of A, the sequency-ordered Walsh–Hadamard
// spectrum of the column extended with zeros to L = 2^k >= M rows, divided by L.
#include "host/mex_host.h"
#include "walsh/gateway.h"

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  gateway::MexHost h{nlhs, plhs, nrhs, prhs};
  walsh::seqSpectrumGateway(h);
}
