// Reading and checking the six grid parameters, the same for both block
// gateways.
#ifndef TOOLBOX_BLOCKS_GRID_ARGS_H
#define TOOLBOX_BLOCKS_GRID_ARGS_H

#include "blocks/grid.h"
#include "host/gateway.h"

namespace blocks {

// n1, n2, N1, N2, rowSt, colSt from six consecutive inputs, in that order.
inline GridParams readGridParams(const mxArray* const* in, const char* fn) {
  return GridParams{gateway::intParam(in[0], fn, "n1"),    gateway::intParam(in[1], fn, "n2"),
                    gateway::intParam(in[2], fn, "N1"),    gateway::intParam(in[3], fn, "N2"),
                    gateway::intParam(in[4], fn, "rowSt"), gateway::intParam(in[5], fn, "colSt")};
}

// Ends the call unless the grid is valid; the start-point rule comes first.
inline Grid requireGrid(const GridParams& p, const char* fn) {
  switch (checkGrid(p)) {
    case GridError::none:
      break;
    case GridError::startPoint:
      mexErrMsgTxt("Start point is not correct");
      break;
    case GridError::negativeSize:
      gateway::fail(fn, "negativeSize", "Image size N1 = %d, N2 = %d must not be negative", p.N1,
                    p.N2);
    case GridError::imageTooSmall:
      gateway::fail(fn, "imageTooSmall",
                    "The band left of or above the start point (%d, %d) does not fit in the "
                    "%d-by-%d image",
                    p.rowSt, p.colSt, p.N1, p.N2);
    case GridError::tooLarge:
      gateway::fail(fn, "tooLarge",
                    "The image and the block matrix must each have fewer than 2^31 elements");
  }
  return makeGrid(p);
}

}  // namespace blocks

#endif
