// Copies of the full blocks of one grid column, one set of functions per
// instruction set. The full blocks of a grid column take consecutive image
// rows and consecutive block columns, so their copy is a batched transpose of
// n1-value runs: run (r, b) is image rows r*n1 .. r*n1 + n1 - 1 of image column
// b (stride N1) and entries b*n1 .. b*n1 + n1 - 1 of block r (stride n1*n2).
//
// The per-instruction-set translation units include this header before their
// target regions: what it defines inline is compiled alike everywhere, so
// code compiled for one instruction set never stands in for another's.
#ifndef TOOLBOX_BLOCKS_KERNELS_H
#define TOOLBOX_BLOCKS_KERNELS_H

#include <cstddef>
#include <cstring>

#include "simd/isa.h"

namespace blocks::kernels {

// Moves n doubles as bit patterns, one 8-byte move each: on any processor
// every value, signalling NaNs included, arrives unchanged.
inline void moveRun(const double* from, double* to, std::ptrdiff_t n) {
  for (std::ptrdiff_t i = 0; i < n; ++i) std::memcpy(to + i, from + i, sizeof(double));
}

struct Shape {
  std::ptrdiff_t N1;     // image column stride
  std::ptrdiff_t n1, n2; // block height and width
  std::ptrdiff_t count;  // full blocks in the grid column
  // Blocks to image only: image column b also takes headLen values from
  // head + b*n1 just above the full blocks' rows, and tailLen values from
  // tail + b*n1 just below them (the runs of a top band block and a bottom
  // remainder block), so that each image column is written as one stream.
  const double* head = nullptr;
  std::ptrdiff_t headLen = 0;
  const double* tail = nullptr;
  std::ptrdiff_t tailLen = 0;
};

// Whether every run the vector copies append is a whole number of vectors of
// `width` doubles: block heights that are multiples of it, and 2-by-2 blocks
// (width/2 blocks per vector) when the full blocks come in groups of width/2.
// Head and tail runs of the image columns may be any length. Such streams
// need no staging buffer.
inline bool wholeVectors(const Shape& s, std::ptrdiff_t width) {
  return s.n1 == 2 && s.n2 == 2 ? s.count % (width / 2) == 0 : s.n1 % width == 0;
}

// img: image entry of block 0's top-left; blk: start of block 0's column.
// With `stream`, the destination is written with non-temporal stores.
using CutFn = void (*)(const double* img, double* blk, const Shape& s, bool stream);
using PasteFn = void (*)(const double* blk, double* img, const Shape& s, bool stream);

struct Set {
  CutFn cut;
  PasteFn paste;
};

// Each set's entry points, defined in the file compiled for it.
Set entries(cpu::IsaTag<cpu::Isa::scalar>);
Set entries(cpu::IsaTag<cpu::Isa::avx2>);
Set entries(cpu::IsaTag<cpu::Isa::avx512>);
Set entries(cpu::IsaTag<cpu::Isa::neon>);

}  // namespace blocks::kernels

#endif
