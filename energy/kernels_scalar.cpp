// The portable sums: plain loops over the shifted runs, for any processor.
#include "energy/kernels.h"

namespace energy::kernels::scalar {

namespace {

// d[t] = d[t] + E[from + t] for t < len.
void addRun(double* d, const Source& s, std::int64_t from, std::int64_t len) {
  if (s.e) {
    const double* e = s.e + from;
    for (std::int64_t t = 0; t < len; ++t) d[t] = d[t] + e[t];
    return;
  }
  const double* re = s.re + from;
  const double* im = s.im + from;
  for (std::int64_t t = 0; t < len; ++t) d[t] = d[t] + (re[t] * re[t] + im[t] * im[t]);
}

// Ell columns a0 .. a1 - 1 of the block read source columns c0, c0 + 1, ...,
// shifted down cyclically by r rows.
void addColumns(const Source& s, const Block& b, std::int64_t r, std::int64_t a0, std::int64_t a1,
                std::int64_t c0) {
  if (a1 <= a0) return;
  const std::int64_t m = b.m;
  if (r == 0 && b.j0 == 0 && b.j1 == m) return addRun(b.ell + a0 * m, s, c0 * m, (a1 - a0) * m);
  for (std::int64_t i = a0, c = c0; i < a1; ++i, ++c) {
    double* d = b.ell + i * m;
    const std::int64_t col = c * m;
    // Rows j >= r read row j - r; rows j < r read row j - r + m.
    const std::int64_t lo = b.j0 > r ? b.j0 : r;
    if (lo < b.j1) addRun(d + lo, s, col + lo - r, b.j1 - lo);
    const std::int64_t hi = b.j1 < r ? b.j1 : r;
    if (b.j0 < hi) addRun(d + b.j0, s, col + b.j0 - r + m, hi - b.j0);
  }
}

}  // namespace

void add(const Source& s, const Shifts& sh, const Block& b) {
  for (std::int64_t k = 0; k < sh.count; ++k) {
    const std::int64_t r = sh.r[k], q = sh.q[k];
    // Ell column i reads source column (i - q) mod n: columns below q wrap
    // around to n - q + i.
    const std::int64_t split = q < b.i0 ? b.i0 : q > b.i1 ? b.i1 : q;
    addColumns(s, b, r, b.i0, split, b.i0 - q + b.n);
    addColumns(s, b, r, split, b.i1, split - q);
  }
}

void addPadded(const Columns& cols, std::int64_t origin, const Shifts& sh, double* column,
               std::int64_t m) {
  for (std::int64_t k = 0; k < sh.count; ++k) {
    const std::int64_t r = sh.r[k];
    std::int64_t c = origin - sh.q[k];
    c += c < 0 ? cols.count : 0;
    const double* col = cols.e + c * cols.stride;
    // Rows j >= r read row j - r; rows j < r read row j - r + m.
    for (std::int64_t j = r; j < m; ++j) column[j] = column[j] + col[j - r];
    for (std::int64_t j = 0; j < r; ++j) column[j] = column[j] + col[j - r + m];
  }
}

void addRows(double* ell, const double* table, const std::int64_t* b, std::int64_t count,
             std::int64_t cells) {
  for (std::int64_t k = 0; k < count; ++k) {
    const double* row = table + b[k] * cells;
    for (std::int64_t t = 0; t < cells; ++t) ell[t] = ell[t] + row[t];
  }
}

}  // namespace energy::kernels::scalar
