// The summing loops of the cyclic energies, one set of functions per
// instruction set. They see doubles only: either the two fields, squared as
// they are read, or the energy map E already formed (the same rounded values).
//
// The translation units of the vector sets include no header with inline
// code, so code compiled for one instruction set can never stand in for
// another's.
#ifndef TOOLBOX_ENERGY_KERNELS_H
#define TOOLBOX_ENERGY_KERNELS_H

#include <cstdint>

namespace energy::kernels {

// Rows that each column of a padded energy map repeats after its last row,
// enough for the widest vector: rows m .. m + kPadRows - 1 hold rows
// 0 .. kPadRows - 1 again, so W consecutive rows from any start row, taken
// cyclically, lie side by side.
constexpr std::int64_t kPadRows = 8;

// The energy map E[e] = re[e]*re[e] + im[e]*im[e] of the grid: read from `e`
// when it is not null, with columns `stride` apart (m, or m + kPadRows when
// padded, which needs m >= kPadRows); else formed from the fields as read
// (stride m).
struct Source {
  const double* re;
  const double* im;
  const double* e;
  std::int64_t stride;
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

// For every k in order: ell[t] = ell[t] + table[b[k]*cells + t], t < cells.
using AddRowsFn = void (*)(double* ell, const double* table, const std::int64_t* b,
                           std::int64_t count, std::int64_t cells);

struct Set {
  AddFn add;
  AddRowsFn addRows;
};

namespace scalar {
void add(const Source&, const Shifts&, const Block&);
void addRows(double*, const double*, const std::int64_t*, std::int64_t, std::int64_t);
}  // namespace scalar
namespace avx2 {
void add(const Source&, const Shifts&, const Block&);
void addRows(double*, const double*, const std::int64_t*, std::int64_t, std::int64_t);
}  // namespace avx2
namespace avx512 {
void add(const Source&, const Shifts&, const Block&);
void addRows(double*, const double*, const std::int64_t*, std::int64_t, std::int64_t);
}  // namespace avx512

}  // namespace energy::kernels

#endif
