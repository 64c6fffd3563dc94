// Y = blocksToImg(X, n1, n2, N1, N2, rowSt, colSt): writes every block column
// of X back to its place in the N1-by-N2 image Y; the exact adjoint of
// imgToBlocks with the same six parameters.
#include "blocks/gateway.h"
#include "host/mex_host.h"

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  gateway::MexHost h{nlhs, plhs, nrhs, prhs};
  blocks::blocksToImgGateway(h);
}
