#include "energy/energy.h"

#include <algorithm>

namespace energy {

namespace {

// Values converted at a time into stack buffers when a field is not double.
constexpr std::int64_t kChunk = 256;
// Entries of ell (whole columns, at least one) that receive all np terms
// before the next columns are started, so they stay in cache: 64 KiB.
constexpr std::int64_t kBlockCells = 8192;

struct Field {
  Values re, im;
  bool doubles;  // both double: read in place
};

// d[t] = d[t] + (re[t]*re[t] + im[t]*im[t]) for t < len.
inline void addEnergy(double* d, const double* re, const double* im, std::int64_t len) {
  for (std::int64_t t = 0; t < len; ++t) d[t] = d[t] + (re[t] * re[t] + im[t] * im[t]);
}

// d[t] += E[from + t] for t < len.
inline void addRun(double* d, const Field& f, std::int64_t from, std::int64_t len) {
  if (f.doubles) {
    addEnergy(d, f.re.doubles() + from, f.im.doubles() + from, len);
    return;
  }
  double re[kChunk], im[kChunk];
  for (std::int64_t t = 0; t < len; t += kChunk) {
    const std::int64_t c = std::min(kChunk, len - t);
    addEnergy(d + t, readDoubles(f.re, from + t, c, re), readDoubles(f.im, from + t, c, im), c);
  }
}

// Columns i0 .. i1 - 1 of ell receive E columns c0, c0 + 1, ..., each shifted
// down cyclically by r rows: ell[j + m*i] += E[(j - r) mod m + m*(c0 + i - i0)].
void addColumns(double* ell, const Field& f, std::int64_t m, std::int64_t r, std::int64_t i0,
                std::int64_t i1, std::int64_t c0) {
  if (i1 <= i0) return;
  if (r == 0) {  // one run through all the columns
    addRun(ell + i0 * m, f, c0 * m, (i1 - i0) * m);
    return;
  }
  for (std::int64_t i = i0, c = c0; i < i1; ++i, ++c) {
    double* d = ell + i * m;
    addRun(d + r, f, c * m, m - r);  // rows r .. m-1 read rows 0 .. m-r-1
    addRun(d, f, c * m + m - r, r);  // rows 0 .. r-1 read rows m-r .. m-1
  }
}

}  // namespace

std::int64_t firstBadPosition(Values p, std::int64_t np, std::int64_t cells) {
  for (std::int64_t k = 0; k < np; ++k)
    if (linearIndex(valueAt(p, k), cells) < 0) return k;
  return -1;
}

// Position k adds E, shifted by (r_k, q_k), to the whole of ell; k runs
// outermost within each block of columns, so every entry still takes its terms
// in ascending k. Ell column i reads E column (i - q) mod n: columns below q
// wrap to n - q + i.
void cyclicEnergy(Values p, std::int64_t np, Values rM, Values iM, std::int64_t m, std::int64_t n,
                  double* ell) {
  const std::int64_t cells = m * n;
  if (cells <= 0) return;
  std::fill(ell, ell + cells, 0.0);
  const Field f{rM, iM, rM.isDouble() && iM.isDouble()};
  const std::int64_t width = std::max<std::int64_t>(1, kBlockCells / m);
  for (std::int64_t i0 = 0; i0 < n; i0 += width) {
    const std::int64_t i1 = std::min(n, i0 + width);
    for (std::int64_t k = 0; k < np; ++k) {
      const std::int64_t b = static_cast<std::int64_t>(valueAt(p, k)) - 1;
      const std::int64_t r = b % m, q = b / m;
      const std::int64_t split = std::clamp(q, i0, i1);
      addColumns(ell, f, m, r, i0, split, i0 - q + n);
      addColumns(ell, f, m, r, split, i1, split - q);
    }
  }
}

}  // namespace energy
