// X = imgToBlocks(Y, n1, n2, N1, N2, rowSt, colSt): cuts the N1-by-N2 image Y
// into n1-by-n2 blocks on the grid anchored at (rowSt, colSt), one block per
// column of X.
#include "blocks/copy.h"
#include "blocks/grid_args.h"
#include "host/gateway.h"

namespace {
enum { IN_Y, IN_PARAMS, IN_COUNT = IN_PARAMS + 6 };
constexpr char kFn[] = "imgToBlocks";
}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs != IN_COUNT || nlhs != 1)
    mexErrMsgTxt("Usage: X = imgToBlocks (Y,n1,n2,N1,N2,rowSt,colSt)");

  const mxArray* Y = prhs[IN_Y];
  const blocks::Grid g = blocks::requireGrid(blocks::readGridParams(prhs + IN_PARAMS, kFn), kFn);
  gateway::requireFullNumeric(Y, kFn, "Y");
  // Y's own shape is ignored, but it must hold the whole image.
  const std::size_t imageSize = static_cast<std::size_t>(g.p.N1) * static_cast<std::size_t>(g.p.N2);
  if (mxGetNumberOfElements(Y) < imageSize)
    gateway::fail(kFn, "tooFewElements", "Y holds %zu elements, fewer than N1*N2 = %zu",
                  mxGetNumberOfElements(Y), imageSize);

  plhs[0] = mxCreateDoubleMatrix(g.blockLen, g.blockCount, mxREAL);
  double* X = mxGetPr(plhs[0]);
  gateway::withRealData(Y, [&](const auto* y) { blocks::imgToBlocks(y, X, g); });
}
