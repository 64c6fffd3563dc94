// The two block gateways over a host adapter (host/gateway.h): reading and
// checking the arguments, creating the result and calling the core. The MEX
// file and the native Octave function of each call the same body.
#ifndef TOOLBOX_BLOCKS_GATEWAY_H
#define TOOLBOX_BLOCKS_GATEWAY_H

#include <cstddef>

#include "blocks/copy.h"
#include "blocks/grid.h"
#include "host/gateway.h"

namespace blocks {

// n1, n2, N1, N2, rowSt, colSt from the six inputs from `first` on, in that
// order.
template <class H>
GridParams readGridParams(H& h, int first, const char* fn) {
  return GridParams{gateway::intParam(h, h.in(first), fn, "n1"),
                    gateway::intParam(h, h.in(first + 1), fn, "n2"),
                    gateway::intParam(h, h.in(first + 2), fn, "N1"),
                    gateway::intParam(h, h.in(first + 3), fn, "N2"),
                    gateway::intParam(h, h.in(first + 4), fn, "rowSt"),
                    gateway::intParam(h, h.in(first + 5), fn, "colSt")};
}

// Ends the call unless the grid is valid; the start-point rule comes first.
template <class H>
Grid requireGrid(H& h, const GridParams& p, const char* fn) {
  switch (checkGrid(p)) {
    case GridError::none:
      break;
    case GridError::startPoint:
      h.usage("Start point is not correct");
    case GridError::negativeSize:
      gateway::fail(h, fn, "negativeSize", "Image size N1 = %d, N2 = %d must not be negative",
                    p.N1, p.N2);
    case GridError::imageTooSmall:
      gateway::fail(h, fn, "imageTooSmall",
                    "The band left of or above the start point (%d, %d) does not fit in the "
                    "%d-by-%d image",
                    p.rowSt, p.colSt, p.N1, p.N2);
    case GridError::tooLarge:
      gateway::fail(h, fn, "tooLarge",
                    "The image and the block matrix must each have fewer than 2^31 elements");
  }
  return makeGrid(p);
}

// X = imgToBlocks(Y, n1, n2, N1, N2, rowSt, colSt)
template <class H>
void imgToBlocksGateway(H& h) {
  enum { IN_Y, IN_PARAMS, IN_COUNT = IN_PARAMS + 6 };
  constexpr const char* fn = "imgToBlocks";
  if (h.nrhs() != IN_COUNT || h.nlhs() != 1)
    h.usage("Usage: X = imgToBlocks (Y,n1,n2,N1,N2,rowSt,colSt)");

  const auto Y = h.in(IN_Y);
  const Grid g = requireGrid(h, readGridParams(h, IN_PARAMS, fn), fn);
  gateway::requireFullNumeric(h, Y, fn, "Y");
  // Y's own shape is ignored, but it must hold the whole image.
  const std::size_t imageSize = static_cast<std::size_t>(g.p.N1) * static_cast<std::size_t>(g.p.N2);
  if (h.numel(Y) < imageSize)
    gateway::fail(h, fn, "tooFewElements", "Y holds %zu elements, fewer than N1*N2 = %zu",
                  h.numel(Y), imageSize);

  double* X = h.output(g.blockLen, g.blockCount);
  if (!H::kOutputZeroed) zeroUnpaired(X, g);
  h.withRealData(Y, [&](const auto* y) { imgToBlocks(y, X, g); });
}

// Y = blocksToImg(X, n1, n2, N1, N2, rowSt, colSt)
template <class H>
void blocksToImgGateway(H& h) {
  enum { IN_X, IN_PARAMS, IN_COUNT = IN_PARAMS + 6 };
  constexpr const char* fn = "blocksToImg";
  if (h.nrhs() != IN_COUNT || h.nlhs() != 1)
    h.usage("Usage: Y = blocksToImage (X,n1,n2,N1,N2,rowSt,colSt)");

  const auto X = h.in(IN_X);
  const Grid g = requireGrid(h, readGridParams(h, IN_PARAMS, fn), fn);
  if (h.cols(X) != static_cast<std::size_t>(g.blockCount))
    h.usage("The input matrix X has not enough columns");
  // With no blocks nothing is read, so an empty X of any height will do.
  if (g.blockCount > 0 && h.rows(X) != static_cast<std::size_t>(g.blockLen))
    gateway::fail(h, fn, "badRowCount", "X has %zu rows; blocks of n1*n2 = %d entries need %d",
                  h.rows(X), g.blockLen, g.blockLen);
  gateway::requireFullNumeric(h, X, fn, "X");

  // Every image entry is written: no zero fill needed.
  double* Y = h.output(g.p.N1, g.p.N2);
  h.withRealData(X, [&](const auto* x) { blocksToImg(x, Y, g); });
}

}  // namespace blocks

#endif
