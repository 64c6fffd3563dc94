// Y = blocksToImg(X, n1, n2, N1, N2, rowSt, colSt): writes every block column
// of X back to its place in the N1-by-N2 image Y; the exact adjoint of
// imgToBlocks with the same six parameters.
#include "blocks/copy.h"
#include "blocks/grid_args.h"
#include "host/gateway.h"

namespace {
enum { IN_X, IN_PARAMS, IN_COUNT = IN_PARAMS + 6 };
constexpr char kFn[] = "blocksToImg";
}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs != IN_COUNT || nlhs != 1)
    mexErrMsgTxt("Usage: Y = blocksToImage (X,n1,n2,N1,N2,rowSt,colSt)");

  const mxArray* X = prhs[IN_X];
  const blocks::Grid g = blocks::requireGrid(blocks::readGridParams(prhs + IN_PARAMS, kFn), kFn);
  if (mxGetN(X) != static_cast<std::size_t>(g.blockCount))
    mexErrMsgTxt("The input matrix X has not enough columns");
  // With no blocks nothing is read, so an empty X of any height will do.
  if (g.blockCount > 0 && mxGetM(X) != static_cast<std::size_t>(g.blockLen))
    gateway::fail(kFn, "badRowCount", "X has %zu rows; blocks of n1*n2 = %d entries need %d",
                  mxGetM(X), g.blockLen, g.blockLen);
  gateway::requireFullNumeric(X, kFn, "X");

  plhs[0] = mxCreateDoubleMatrix(g.p.N1, g.p.N2, mxREAL);
  double* Y = mxGetPr(plhs[0]);
  gateway::withRealData(X, [&](const auto* x) { blocks::blocksToImg(x, Y, g); });
}
