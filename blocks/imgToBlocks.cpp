// X = imgToBlocks(Y, n1, n2, N1, N2, rowSt, colSt): cuts the N1-by-N2 image Y
// into n1-by-n2 blocks on the grid anchored at (rowSt, colSt), one block per
// column of X.
#include "blocks/gateway.h"
#include "host/mex_host.h"

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  gateway::MexHost h{nlhs, plhs, nrhs, prhs};
  blocks::imgToBlocksGateway(h);
}
