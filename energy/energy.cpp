#include "energy/energy.h"

#include <algorithm>
#include <cfloat>

#include "energy/kernels.h"

namespace energy {

namespace {

using kernels::kPadRows;

#include "energy/runs.inc"

// Positions decoded at a time, into arrays on the stack.
constexpr std::int64_t kChunk = 256;
// Values of other element types converted at a time.
constexpr std::int64_t kConvert = 128;
// Entries of ell (whole columns where they fit) that receive all the terms of
// a run of positions before the next block is started, so that they stay in
// the first-level cache while the fields stream past: 8 KiB.
constexpr std::int64_t kBlockCells = 1024;
// Energies kept on the stack, 36 KiB: the whole map of a small grid (64^2
// padded), or a window of the columns that a run of positions reads. Read from
// there, a term costs one load from the first-level cache instead of two from
// further out.
constexpr std::int64_t kStackDoubles = 4608;
// Positions a window must serve to pay for forming it: forming it costs about
// what the terms of one position cost, since every energy is formed once as
// the window passes along the columns of ell.
constexpr std::int64_t kWindowMinPositions = 4;

// Forming energies beforehand rounds each term to double before it is added:
// the arithmetic of builds that evaluate in double precision. Where the
// compiler keeps intermediate values in extended precision (the x87 unit),
// every term is formed from the fields as it is added, and no energies are
// kept.
constexpr bool kTermsRounded = FLT_EVAL_METHOD == 0;

struct Problem {
  Values p, rM, iM;
  std::int64_t np, m, n;
  double* ell;
  kernels::Set k;
  std::int64_t i0, i1;  // the columns of ell computed
};

// x mod y in 0 .. y - 1, for any sign of x.
std::int64_t wrap(std::int64_t x, std::int64_t y) { return (x % y + y) % y; }

// The 0-based linear index b[k] of positions from .. from + count - 1.
void linearIndices(Values p, std::int64_t from, std::int64_t count, std::int64_t* b) {
  double buf[kChunk];
  const double* x = readDoubles(p, from, count, buf);
  for (std::int64_t k = 0; k < count; ++k) b[k] = static_cast<std::int64_t>(x[k]) - 1;
}

// Positions from .. from + count - 1 as rows r[k] and columns q[k].
void decode(const Problem& P, std::int64_t from, std::int64_t count, std::int64_t* r, std::int64_t* q) {
  linearIndices(P.p, from, count, r);
  for (std::int64_t k = 0; k < count; ++k) {
    q[k] = r[k] / P.m;
    r[k] = r[k] % P.m;
  }
}

// E[t] = re*re + im*im of element from + t, for t < count.
void formEnergies(Values rM, Values iM, std::int64_t from, std::int64_t count, double* E) {
  double re[kConvert], im[kConvert];
  for (std::int64_t t0 = 0; t0 < count; t0 += kConvert) {
    const std::int64_t c = std::min(kConvert, count - t0);
    const double* x = readDoubles(rM, from + t0, c, re);
    const double* y = readDoubles(iM, from + t0, c, im);
    for (std::int64_t t = 0; t < c; ++t) E[t0 + t] = x[t] * x[t] + y[t] * y[t];
  }
}

// Energy column c, padded: m + kPadRows values.
void formPaddedColumn(const Problem& P, std::int64_t c, double* col) {
  formEnergies(P.rM, P.iM, c * P.m, P.m, col);
  std::copy(col, col + kPadRows, col + P.m);
}

// Every block of ell takes the terms of the positions in sh from s.
void addBlocks(const Problem& P, const kernels::Source& s, const kernels::Shifts& sh) {
  if (sh.count <= 0) return;
  const std::int64_t m = P.m, n = P.n;
  if (m <= kBlockCells) {
    const std::int64_t width = kBlockCells / m;
    for (std::int64_t i0 = P.i0; i0 < P.i1; i0 += width)
      P.k.add(s, sh, {P.ell, m, n, 0, m, i0, std::min(P.i1, i0 + width)});
  } else {
    for (std::int64_t i = P.i0; i < P.i1; ++i)
      for (std::int64_t j0 = 0; j0 < m; j0 += kBlockCells)
        P.k.add(s, sh, {P.ell, m, n, j0, std::min(m, j0 + kBlockCells), i, i + 1});
  }
}

// Fields of other element types, converted in short runs as they are read.
// d[t] = d[t] + E[from + t] for t < len.
void addConvertedRun(const Problem& P, double* d, std::int64_t from, std::int64_t len) {
  double re[kConvert], im[kConvert];
  for (std::int64_t t = 0; t < len; t += kConvert) {
    const std::int64_t c = std::min(kConvert, len - t);
    toDoubles(P.rM, from + t, c, re);
    toDoubles(P.iM, from + t, c, im);
    for (std::int64_t u = 0; u < c; ++u) d[t + u] = d[t + u] + (re[u] * re[u] + im[u] * im[u]);
  }
}

// Columns i0 .. i1 - 1 of ell take E columns c0, c0 + 1, ..., each shifted
// down cyclically by r rows.
void addConvertedColumns(const Problem& P, std::int64_t r, std::int64_t i0, std::int64_t i1,
                         std::int64_t c0) {
  const std::int64_t m = P.m;
  if (i1 <= i0) return;
  if (r == 0) return addConvertedRun(P, P.ell + i0 * m, c0 * m, (i1 - i0) * m);
  for (std::int64_t i = i0, c = c0; i < i1; ++i, ++c)
    forRowRuns(0, m, r, m, [&](std::int64_t to, std::int64_t from, std::int64_t len) {
      addConvertedRun(P, P.ell + i * m + to, c * m + from, len);
    });
}

void addConverted(const Problem& P, const kernels::Shifts& sh) {
  const std::int64_t width = std::max<std::int64_t>(1, 8 * kBlockCells / P.m);
  for (std::int64_t i0 = P.i0; i0 < P.i1; i0 += width) {
    const std::int64_t i1 = std::min(P.i1, i0 + width);
    for (std::int64_t k = 0; k < sh.count; ++k)
      forColumnRuns(i0, i1, sh.q[k], P.n, [&](std::int64_t a0, std::int64_t a1, std::int64_t c0) {
        addConvertedColumns(P, sh.r[k], a0, a1, c0);
      });
  }
}

// The terms of positions in sh, from the fields as they are read.
void addFromFields(const Problem& P, const kernels::Shifts& sh) {
  if (P.rM.isDouble() && P.iM.isDouble() && P.k.addTiled && P.m >= kernels::kTileMinRows) {
    if (sh.count > 0) P.k.addTiled(P.rM.doubles(), P.iM.doubles(), sh, P.ell, P.m, P.n, P.i0, P.i1);
  } else if (P.rM.isDouble() && P.iM.isDouble())
    addBlocks(P, {P.rM.doubles(), P.iM.doubles(), nullptr}, sh);
  else if (sh.count > 0)
    addConverted(P, sh);
}

// Positions whose columns q[k] lie in lo .. hi, hi - lo < the window's width:
// ell column i reads E columns i - hi .. i - lo (mod n) only, so those stay
// formed and padded in the window's slots as i advances, column c' (counted
// without wrapping around n) in slot c' mod width. q is rebased to q - lo.
void addWindow(const Problem& P, std::int64_t* r, std::int64_t* q, std::int64_t count,
               std::int64_t lo, std::int64_t hi, double* slots) {
  const std::int64_t m = P.m, n = P.n, width = hi - lo + 1, stride = m + kPadRows;
  for (std::int64_t k = 0; k < count; ++k) q[k] -= lo;
  auto form = [&](std::int64_t c) { formPaddedColumn(P, wrap(c, n), slots + wrap(c, width) * stride); };
  for (std::int64_t c = P.i0 - hi; c <= P.i0 - lo; ++c) form(c);
  // Position k reads slot (i - q) mod width = (origin - (q - lo)) mod width.
  std::int64_t origin = wrap(P.i0 - lo, width);
  for (std::int64_t i = P.i0; i < P.i1; ++i) {
    if (i > P.i0) {
      form(i - lo);
      origin = origin + 1 == width ? 0 : origin + 1;
    }
    P.k.addPadded({slots, stride, width}, origin, {r, q, count}, P.ell + i * m, m);
  }
}

// Positions chunk by chunk. Runs of positions within a few columns of each
// other (a pattern listed column by column, as find gives it) go through a
// window of energy columns; the others read the fields.
void sumByChunks(const Problem& P) {
  const bool windows = kTermsRounded && P.m >= kPadRows && P.m + kPadRows <= kStackDoubles;
  const std::int64_t widest = windows ? kStackDoubles / (P.m + kPadRows) : 0;
  double slots[kStackDoubles];
  std::int64_t r[kChunk], q[kChunk];
  for (std::int64_t k0 = 0; k0 < P.np; k0 += kChunk) {
    const std::int64_t count = std::min(kChunk, P.np - k0);
    decode(P, k0, count, r, q);
    std::int64_t done = 0;  // positions of the chunk added so far
    for (std::int64_t k = 0; windows && k < count;) {
      // The longest run from k whose columns span at most `widest`.
      std::int64_t lo = q[k], hi = q[k], e = k + 1;
      for (; e < count; ++e) {
        const std::int64_t l = std::min(lo, q[e]), h = std::max(hi, q[e]);
        if (h - l >= widest) break;
        lo = l;
        hi = h;
      }
      if (e - k >= kWindowMinPositions) {
        addFromFields(P, {r + done, q + done, k - done});
        addWindow(P, r + k, q + k, e - k, lo, hi, slots);
        done = e;
      }
      k = e;
    }
    addFromFields(P, {r + done, q + done, count - done});
  }
}

// The whole energy map on the stack: padded when m >= kPadRows and it fits.
void sumOnStack(const Problem& P) {
  const std::int64_t m = P.m, n = P.n, stride = m + kPadRows;
  const bool padded = m >= kPadRows && n * stride <= kStackDoubles;
  double E[kStackDoubles];
  if (padded)
    for (std::int64_t c = 0; c < n; ++c) formPaddedColumn(P, c, E + c * stride);
  else
    formEnergies(P.rM, P.iM, 0, m * n, E);
  std::int64_t r[kChunk], q[kChunk];
  for (std::int64_t k0 = 0; k0 < P.np; k0 += kChunk) {
    const kernels::Shifts sh{r, q, std::min(kChunk, P.np - k0)};
    decode(P, k0, sh.count, r, q);
    if (padded)
      for (std::int64_t i = P.i0; i < P.i1; ++i) P.k.addPadded({E, stride, n}, i, sh, P.ell + i * m, m);
    else
      addBlocks(P, {nullptr, nullptr, E}, sh);
  }
}

// Every shift of the energy map of a tiny grid: row b = r + m*q of the table
// is E shifted down by r rows and right by q columns,
//   table[b*cells + j + m*i] = E[(j - r) mod m + m*((i - q) mod n)],
// and position k adds row b_k to the whole of ell.
void sumTable(const Problem& P) {
  const std::int64_t m = P.m, n = P.n, cells = m * n;
  double E[kernels::kRowsMaxCells], table[kernels::kRowsMaxCells * kernels::kRowsMaxCells];
  formEnergies(P.rM, P.iM, 0, cells, E);
  for (std::int64_t q = 0; q < n; ++q)
    for (std::int64_t r = 0; r < m; ++r) {
      double* row = table + (r + m * q) * cells;
      for (std::int64_t i = 0; i < n; ++i) {
        const std::int64_t c = i >= q ? i - q : i - q + n;
        for (std::int64_t j = 0; j < m; ++j) row[j + m * i] = E[(j >= r ? j - r : j - r + m) + m * c];
      }
    }
  std::int64_t b[kChunk];
  for (std::int64_t k0 = 0; k0 < P.np; k0 += kChunk) {
    const std::int64_t count = std::min(kChunk, P.np - k0);
    linearIndices(P.p, k0, count, b);
    P.k.addRows(P.ell, table, b, count, cells);
  }
}

}  // namespace

std::int64_t firstBadPosition(Values p, std::int64_t np, std::int64_t cells) {
  for (std::int64_t k = 0; k < np; ++k)
    if (linearIndex(valueAt(p, k), cells) < 0) return k;
  return -1;
}

namespace {

// Each position adds E, shifted by its row and column, to columns i0 .. i1 - 1
// of ell; the positions of a chunk pass over each part of them in their order,
// so that every entry still takes its terms in ascending k.
void columns(Values p, std::int64_t np, Values rM, Values iM, std::int64_t m, std::int64_t n,
             double* ell, cpu::Isa isa, std::int64_t i0, std::int64_t i1) {
  const std::int64_t cells = m * n;
  if (cells <= 0 || i1 <= i0) return;
  std::fill(ell + i0 * m, ell + i1 * m, 0.0);
  if (np <= 0) return;
  const Problem P{p, rM, iM, np, m, n, ell, cpu::select(isa, [](auto set) { return kernels::entries(set); }),
                  i0, i1};
  // The table adds whole rows to the whole map; a part of a tiny map is summed
  // from the stack.
  if (kTermsRounded && cells <= kernels::kRowsMaxCells && np >= cells && i0 == 0 && i1 == n)
    sumTable(P);
  else if (kTermsRounded && cells <= kStackDoubles)
    sumOnStack(P);
  else
    sumByChunks(P);
}

}  // namespace

void cyclicEnergy(Values p, std::int64_t np, Values rM, Values iM, std::int64_t m, std::int64_t n,
                  double* ell, cpu::Isa isa) {
  columns(p, np, rM, iM, m, n, ell, isa, 0, n);
}

void cyclicEnergy(Values p, std::int64_t np, Values rM, Values iM, std::int64_t m, std::int64_t n,
                  double* ell) {
  columns(p, np, rM, iM, m, n, ell, cpu::bestIsa(), 0, n);
}

void cyclicEnergyColumns(Values p, std::int64_t np, Values rM, Values iM, std::int64_t m,
                         std::int64_t n, double* ell, std::int64_t i0, std::int64_t i1) {
  columns(p, np, rM, iM, m, n, ell, cpu::bestIsa(), i0, i1);
}

}  // namespace energy
