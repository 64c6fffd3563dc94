#include "energy/energy.h"

#include <algorithm>

#include "energy/kernels.h"

namespace energy {

namespace {

// Positions decoded at a time, into arrays on the stack.
constexpr std::int64_t kChunk = 256;
// Entries of ell (whole columns where they fit) that receive all the terms of
// a chunk of positions before the next block is started, so that they stay in
// the first-level cache while the field streams past: 8 KiB.
constexpr std::int64_t kBlockCells = 1024;
// Grids whose energy map fits in this many doubles (40 KiB) have it formed
// once, on the stack, and read from there: one load per term instead of two,
// from the first-level cache. Columns of at least kPadRows rows are padded
// (kernels.h) when the map still fits, so that no vector of a shifted column
// has to be put together from two runs.
constexpr std::int64_t kStackDoubles = 5120;
// Grids up to this size, given at least as many positions as grid points,
// have every shift of the energy map tabulated on the stack (8 KiB): each
// position then adds one row of the table to the whole of ell.
constexpr std::int64_t kTableCells = 32;

kernels::Set kernelsFor(cpu::Isa isa) {
#if TOOLBOX_X86_SIMD
  if (isa == cpu::Isa::avx512) return {kernels::avx512::add, kernels::avx512::addRows};
  if (isa == cpu::Isa::avx2) return {kernels::avx2::add, kernels::avx2::addRows};
#endif
  (void)isa;
  return {kernels::scalar::add, kernels::scalar::addRows};
}

// The 0-based linear index of each of positions from .. from + count - 1.
void linearIndices(Values p, std::int64_t from, std::int64_t count, std::int64_t* b) {
  double buf[kChunk];
  const double* x = readDoubles(p, from, count, buf);
  for (std::int64_t k = 0; k < count; ++k) b[k] = static_cast<std::int64_t>(x[k]) - 1;
}

// E[t] = re*re + im*im of element from + t, for t < count.
void formEnergies(Values rM, Values iM, std::int64_t from, std::int64_t count, double* E) {
  double re[kChunk], im[kChunk];
  for (std::int64_t t0 = 0; t0 < count; t0 += kChunk) {
    const std::int64_t c = std::min(kChunk, count - t0);
    const double* x = readDoubles(rM, from + t0, c, re);
    const double* y = readDoubles(iM, from + t0, c, im);
    for (std::int64_t t = 0; t < c; ++t) E[t0 + t] = x[t] * x[t] + y[t] * y[t];
  }
}

// Chunk by chunk of positions, block by block of ell.
void sumBlocks(const kernels::Source& s, Values p, std::int64_t np, std::int64_t m, std::int64_t n,
               double* ell, kernels::AddFn add) {
  std::int64_t r[kChunk], q[kChunk];
  for (std::int64_t k0 = 0; k0 < np; k0 += kChunk) {
    const std::int64_t count = std::min(kChunk, np - k0);
    linearIndices(p, k0, count, r);
    for (std::int64_t k = 0; k < count; ++k) {
      q[k] = r[k] / m;
      r[k] = r[k] % m;
    }
    const kernels::Shifts sh{r, q, count};
    if (m <= kBlockCells) {
      const std::int64_t width = kBlockCells / m;
      for (std::int64_t i0 = 0; i0 < n; i0 += width)
        add(s, sh, {ell, m, n, 0, m, i0, std::min(n, i0 + width)});
    } else {
      for (std::int64_t i = 0; i < n; ++i)
        for (std::int64_t j0 = 0; j0 < m; j0 += kBlockCells)
          add(s, sh, {ell, m, n, j0, std::min(m, j0 + kBlockCells), i, i + 1});
    }
  }
}

// Row b = r + m*q of the table is E shifted by r rows and q columns:
//   table[b*cells + j + m*i] = E[(j - r) mod m + m*((i - q) mod n)].
void sumTable(Values p, std::int64_t np, Values rM, Values iM, std::int64_t m, std::int64_t n,
              double* ell, kernels::AddRowsFn addRows) {
  const std::int64_t cells = m * n;
  double E[kTableCells], table[kTableCells * kTableCells];
  formEnergies(rM, iM, 0, cells, E);
  for (std::int64_t q = 0; q < n; ++q)
    for (std::int64_t r = 0; r < m; ++r) {
      double* row = table + (r + m * q) * cells;
      for (std::int64_t i = 0; i < n; ++i)
        for (std::int64_t j = 0; j < m; ++j)
          row[j + m * i] = E[(j - r + m) % m + m * ((i - q + n) % n)];
    }
  std::int64_t b[kChunk];
  for (std::int64_t k0 = 0; k0 < np; k0 += kChunk) {
    const std::int64_t count = std::min(kChunk, np - k0);
    linearIndices(p, k0, count, b);
    addRows(ell, table, b, count, cells);
  }
}

// The energy map formed once on the stack; padded when m >= kPadRows and it
// still fits.
void sumOnStack(Values p, std::int64_t np, Values rM, Values iM, std::int64_t m, std::int64_t n,
                double* ell, kernels::AddFn add) {
  double E[kStackDoubles];
  const std::int64_t padded = m + kernels::kPadRows;
  if (m >= kernels::kPadRows && n * padded <= kStackDoubles) {
    for (std::int64_t c = 0; c < n; ++c) {
      double* col = E + c * padded;
      formEnergies(rM, iM, c * m, m, col);
      std::copy(col, col + kernels::kPadRows, col + m);
    }
    sumBlocks({nullptr, nullptr, E, padded}, p, np, m, n, ell, add);
  } else {
    formEnergies(rM, iM, 0, m * n, E);
    sumBlocks({nullptr, nullptr, E, m}, p, np, m, n, ell, add);
  }
}

// Fields of other element types on grids beyond the stack buffer: converted in
// short runs as they are read, one position at a time over each block.
struct Converted {
  Values re, im;
};

// d[t] = d[t] + E[from + t] for t < len.
void addConvertedRun(double* d, const Converted& f, std::int64_t from, std::int64_t len) {
  double re[kChunk], im[kChunk];
  for (std::int64_t t = 0; t < len; t += kChunk) {
    const std::int64_t c = std::min(kChunk, len - t);
    toDoubles(f.re, from + t, c, re);
    toDoubles(f.im, from + t, c, im);
    for (std::int64_t u = 0; u < c; ++u) d[t + u] = d[t + u] + (re[u] * re[u] + im[u] * im[u]);
  }
}

// Columns i0 .. i1 - 1 of ell receive E columns c0, c0 + 1, ..., each shifted
// down cyclically by r rows.
void addConvertedColumns(double* ell, const Converted& f, std::int64_t m, std::int64_t r,
                         std::int64_t i0, std::int64_t i1, std::int64_t c0) {
  if (i1 <= i0) return;
  if (r == 0) return addConvertedRun(ell + i0 * m, f, c0 * m, (i1 - i0) * m);
  for (std::int64_t i = i0, c = c0; i < i1; ++i, ++c) {
    double* d = ell + i * m;
    addConvertedRun(d + r, f, c * m, m - r);  // rows r .. m-1 read rows 0 .. m-r-1
    addConvertedRun(d, f, c * m + m - r, r);  // rows 0 .. r-1 read rows m-r .. m-1
  }
}

void sumConverted(Values p, std::int64_t np, Values rM, Values iM, std::int64_t m, std::int64_t n,
                  double* ell) {
  const Converted f{rM, iM};
  const std::int64_t width = std::max<std::int64_t>(1, 8 * kBlockCells / m);
  for (std::int64_t i0 = 0; i0 < n; i0 += width) {
    const std::int64_t i1 = std::min(n, i0 + width);
    for (std::int64_t k = 0; k < np; ++k) {
      const std::int64_t b = static_cast<std::int64_t>(valueAt(p, k)) - 1;
      const std::int64_t r = b % m, q = b / m;
      const std::int64_t split = std::clamp(q, i0, i1);
      addConvertedColumns(ell, f, m, r, i0, split, i0 - q + n);
      addConvertedColumns(ell, f, m, r, split, i1, split - q);
    }
  }
}

}  // namespace

std::int64_t firstBadPosition(Values p, std::int64_t np, std::int64_t cells) {
  for (std::int64_t k = 0; k < np; ++k)
    if (linearIndex(valueAt(p, k), cells) < 0) return k;
  return -1;
}

// Each position k adds E, shifted by (r_k, q_k), to the whole of ell: k runs
// outermost within each block of ell, so every entry still takes its terms in
// ascending k.
void cyclicEnergy(Values p, std::int64_t np, Values rM, Values iM, std::int64_t m, std::int64_t n,
                  double* ell, cpu::Isa isa) {
  const std::int64_t cells = m * n;
  if (cells <= 0) return;
  std::fill(ell, ell + cells, 0.0);
  if (np <= 0) return;
  const kernels::Set k = kernelsFor(isa);
  if (cells <= kTableCells && np >= cells)
    sumTable(p, np, rM, iM, m, n, ell, k.addRows);
  else if (cells <= kStackDoubles)
    sumOnStack(p, np, rM, iM, m, n, ell, k.add);
  else if (rM.isDouble() && iM.isDouble())
    sumBlocks({rM.doubles(), iM.doubles(), nullptr, m}, p, np, m, n, ell, k.add);
  else
    sumConverted(p, np, rM, iM, m, n, ell);
}

void cyclicEnergy(Values p, std::int64_t np, Values rM, Values iM, std::int64_t m, std::int64_t n,
                  double* ell) {
  cyclicEnergy(p, np, rM, iM, m, n, ell, cpu::bestIsa());
}

}  // namespace energy
