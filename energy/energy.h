// Cyclic shift energies of a sampling pattern on an m-by-n column-major grid.
//
// With the energy map E[e] = rM[e]^2 + iM[e]^2 and the 0-based row r_k and
// column q_k of position p[k] (1-based linear index, truncated toward zero),
//   ell[j + m*i] = sum_{k < np} E[(j - r_k) mod m + m*((i - q_k) mod n)],
// the cyclic convolution of the pattern with E. Each entry receives its terms
// in ascending k, starting from 0.0, as ell + (re*re + im*im), with every
// operation rounded to double. Counts and indices are 64-bit.
#ifndef TOOLBOX_ENERGY_ENERGY_H
#define TOOLBOX_ENERGY_ENERGY_H

#include <cstdint>

#include "energy/values.h"
#include "simd/cpu.h"

namespace energy {

// The 0-based linear index of a position whose value, truncated toward zero,
// lies in 1 .. cells; -1 for anything else (NaN and infinities included).
inline std::int64_t linearIndex(double position, std::int64_t cells) {
  // cells + 1 <= 2^31 + 1 is exact; NaN fails both comparisons.
  if (!(position >= 1.0 && position < static_cast<double>(cells) + 1.0)) return -1;
  return static_cast<std::int64_t>(position) - 1;
}

// The first k < np whose position lies outside a grid of `cells` points, or -1.
std::int64_t firstBadPosition(Values p, std::int64_t np, std::int64_t cells);

// Fills ell[0 .. m*n - 1]. Requires m, n >= 0, the first np positions inside
// the grid (firstBadPosition), and m*n elements in each of rM and iM. Reads
// nothing else; np <= 0 gives zeros. Uses no memory beyond ell and under
// 48 KiB of stack. Runs on the best code path of the running processor.
void cyclicEnergy(Values p, std::int64_t np, Values rM, Values iM, std::int64_t m, std::int64_t n,
                  double* ell);

// The same on a chosen code path (one the processor supports); every path
// gives the same bits.
void cyclicEnergy(Values p, std::int64_t np, Values rM, Values iM, std::int64_t m, std::int64_t n,
                  double* ell, cpu::Isa isa);

// Columns i0 .. i1 - 1 of ell only (0 <= i0 <= i1 <= n; ell is the whole
// map), every entry the same bits as in the whole call. Calls on ranges that
// do not overlap write disjoint parts of ell, so they may run at the same
// time. Requires and reads what the whole call does.
void cyclicEnergyColumns(Values p, std::int64_t np, Values rM, Values iM, std::int64_t m,
                         std::int64_t n, double* ell, std::int64_t i0, std::int64_t i1);

}  // namespace energy

#endif
