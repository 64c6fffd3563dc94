// The summing loops of the cyclic energies, one set of functions per
// instruction set. They see doubles only: either the two fields, squared as
// they are read, or energies E = re*re + im*im formed beforehand (the same
// rounded values). Every entry takes its terms in the order of the positions.
//
// The translation units of the vector sets include no header with inline
// code, so code compiled for one instruction set can never stand in for
// another's.
#ifndef TOOLBOX_ENERGY_KERNELS_H
#define TOOLBOX_ENERGY_KERNELS_H

#include <cstdint>

#include "simd/isa.h"

namespace energy::kernels {

// Rows that each column of a padded energy map repeats after its last row:
// rows m .. m + kPadRows - 1 hold rows 0 .. kPadRows - 1 again (m >= kPadRows),
// so that the W rows (j - r) mod m, j = j0 .. j0 + W - 1, lie side by side
// for any vector width W up to kPadRows.
constexpr std::int64_t kPadRows = 8;

// The energy map of the m-by-n grid, E[e] = re[e]*re[e] + im[e]*im[e]: read
// from `e` when it is not null, else formed from the fields as they are read.
struct Source {
  const double* re;
  const double* im;
  const double* e;
};

// Positions split into row r[k] and column q[k], in the order they are added.
struct Shifts {
  const std::int64_t* r;
  const std::int64_t* q;
  std::int64_t count;
};

// The part of ell that receives the terms: rows j0 .. j1 - 1 of columns
// i0 .. i1 - 1 of the m-by-n grid (whole columns, or rows of a single column).
struct Block {
  double* ell;
  std::int64_t m, n;
  std::int64_t j0, j1, i0, i1;
};

// For every k in order, every entry (j, i) of the block takes its term:
//   ell[j + m*i] = ell[j + m*i] + E[(j - r[k]) mod m + m*((i - q[k]) mod n)].
using AddFn = void (*)(const Source&, const Shifts&, const Block&);

// Padded energy columns, `count` of them, `stride` >= m + kPadRows apart.
struct Columns {
  const double* e;
  std::int64_t stride, count;
};

// One ell column of m >= kPadRows rows, from padded columns: for every k in
// order, with c = (origin - q[k]) mod cols.count,
//   column[j] = column[j] + cols.e[c*stride + (j - r[k]) mod m].
using AddPaddedFn = void (*)(const Columns& cols, std::int64_t origin, const Shifts&, double* column,
                             std::int64_t m);

// For every k in order: ell[t] = ell[t] + table[b[k]*cells + t], t < cells,
// for cells <= kRowsMaxCells.
constexpr std::int64_t kRowsMaxCells = 32;
using AddRowsFn = void (*)(double* ell, const double* table, const std::int64_t* b,
                           std::int64_t count, std::int64_t cells);

// Columns i0 .. i1 - 1 of ell, m >= kTileMinRows, from the two fields: for
// every k in order, every entry takes its term as AddFn describes, with the
// terms formed from re and im as they are read. Each column goes by in tiles
// of rows held in registers while all the positions pass.
constexpr std::int64_t kTileMinRows = 16;
using AddTiledFn = void (*)(const double* re, const double* im, const Shifts&, double* ell,
                            std::int64_t m, std::int64_t n, std::int64_t i0, std::int64_t i1);

struct Set {
  AddFn add;
  AddPaddedFn addPadded;
  AddRowsFn addRows;
  AddTiledFn addTiled;  // null where the instruction set has none
};

// Each set's entry points, defined in the file compiled for it.
Set entries(cpu::IsaTag<cpu::Isa::scalar>);
Set entries(cpu::IsaTag<cpu::Isa::avx2>);
Set entries(cpu::IsaTag<cpu::Isa::avx512>);
Set entries(cpu::IsaTag<cpu::Isa::neon>);

}  // namespace energy::kernels

#endif
