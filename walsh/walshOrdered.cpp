// W = walshOrdered(A, ordering): seqSpectrum(A) with the rows of every column
// in sequency (0), Hadamard (1) or dyadic (2) order, reordered in the plug-in
// while each column is in cache. The engine of walshSpectrum.
#include "host/mex_host.h"
#include "walsh/gateway.h"

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  gateway::MexHost h{nlhs, plhs, nrhs, prhs};
  walsh::walshOrderedGateway(h);
}
