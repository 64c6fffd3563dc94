// The portable sums: plain loops over the shifted runs, for any processor.
#include "energy/kernels.h"

namespace energy::kernels::scalar {

namespace {

#include "energy/runs.inc"

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
  for (std::int64_t i = a0, c = c0; i < a1; ++i, ++c)
    forRowRuns(b.j0, b.j1, r, m, [&](std::int64_t to, std::int64_t from, std::int64_t len) {
      addRun(b.ell + i * m + to, s, c * m + from, len);
    });
}

}  // namespace

void add(const Source& s, const Shifts& sh, const Block& b) {
  for (std::int64_t k = 0; k < sh.count; ++k)
    forColumnRuns(b.i0, b.i1, sh.q[k], b.n, [&](std::int64_t a0, std::int64_t a1, std::int64_t c0) {
      addColumns(s, b, sh.r[k], a0, a1, c0);
    });
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

energy::kernels::Set energy::kernels::entries(cpu::IsaTag<cpu::Isa::scalar>) {
  return {scalar::add, scalar::addPadded, scalar::addRows, nullptr};
}
