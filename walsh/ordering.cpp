// The Hadamard and dyadic orders: the sequency spectrum with its rows moved.
//
// Sequency row r goes to row dest(r) = gray(r) (dyadic) or rev_k(gray(r))
// (Hadamard), gray(r) = r XOR (r >> 1). Both maps and their inverses are
// linear over the bits, so as r counts up, dest(r) changes by
// dest(r XOR (r - 1)) = dest(2^(t+1) - 1), t the trailing zeros of r: one
// bit, 2^t (dyadic) or 2^(k-1-t) (Hadamard). The inverse, source(s), changes
// by source(2^(t+1) - 1) as s counts up.
//
// A column is copied to the scratch buffer and moved back row by row. Writing
// in sequency order (scatter) costs about one cycle a row while the column
// is in the L1 cache; short columns take their destinations from a table.
// Hadamard rows of a longer column would be written 2^(k-1), 2^(k-2), ...
// apart, each write to another cache line; reading from there instead
// (gather) and writing in order costs a fifth of that from 2^13 rows on.
// Dyadic rows change in their low bits mostly, and scatter at every length.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "walsh/transform.h"

namespace walsh {

namespace {

std::ptrdiff_t reversed(std::ptrdiff_t v, int bits) {
  std::ptrdiff_t r = 0;
  for (int b = 0; b < bits; ++b) r |= ((v >> b) & 1) << (bits - 1 - b);
  return r;
}

std::ptrdiff_t destination(std::ptrdiff_t r, int k, Ordering ordering) {
  const std::ptrdiff_t g = r ^ (r >> 1);
  return ordering == Ordering::hadamard ? reversed(g, k) : g;
}

std::ptrdiff_t source(std::ptrdiff_t s, int k, Ordering ordering) {
  std::ptrdiff_t x = ordering == Ordering::hadamard ? reversed(s, k) : s;
  for (std::ptrdiff_t shifted = x >> 1; shifted != 0; shifted >>= 1) x ^= shifted;  // inverse Gray code
  return x;
}

// Visits i = 0 .. L-1 with j following i by j ^= step[t]: kGather moves
// buffer[j] to w[i], otherwise buffer[i] to w[j].
template <bool kGather>
void moveRows(double* w, const double* buffer, std::ptrdiff_t L, const std::ptrdiff_t* step) {
  std::ptrdiff_t j = 0;
  w[0] = buffer[0];
  for (std::ptrdiff_t i = 1; i < L; ++i) {
    int t = 0;
    while (((i >> t) & 1) == 0) ++t;
    j ^= step[t];
    if (kGather)
      w[i] = buffer[j];
    else
      w[j] = buffer[i];
  }
}

// Columns up to 2^kTableStages rows (the batches of the vector paths) move by
// a table of destinations, made once per call, which spares them the per-row
// bit count.
constexpr int kTableStages = 8, kGatherFromStages = 13;

// Moves the rows of the n columns of W (L = 2^k rows each) from sequency
// order to `ordering`, each through buffer (L doubles).
void reorderColumns(double* W, std::int32_t n, int k, Ordering ordering, double* buffer) {
  const std::ptrdiff_t L = std::ptrdiff_t{1} << k;
  const std::size_t bytes = static_cast<std::size_t>(L) * sizeof(double);
  if (k <= kTableStages) {
    std::uint16_t to[std::size_t{1} << kTableStages];
    for (std::ptrdiff_t r = 0; r < L; ++r) to[r] = static_cast<std::uint16_t>(destination(r, k, ordering));
    for (std::int32_t c = 0; c < n; ++c) {
      double* w = W + c * L;
      std::memcpy(buffer, w, bytes);
      for (std::ptrdiff_t r = 0; r < L; ++r) w[to[r]] = buffer[r];
    }
    return;
  }
  const bool gather = ordering == Ordering::hadamard && k >= kGatherFromStages;
  std::ptrdiff_t step[31];
  for (int t = 0; t < k; ++t) {
    const std::ptrdiff_t ones = (std::ptrdiff_t{2} << t) - 1;
    step[t] = gather ? source(ones, k, ordering) : destination(ones, k, ordering);
  }
  for (std::int32_t c = 0; c < n; ++c) {
    double* w = W + c * L;
    std::memcpy(buffer, w, bytes);
    if (gather)
      moveRows<true>(w, buffer, L, step);
    else
      moveRows<false>(w, buffer, L, step);
  }
}

}  // namespace

template <class T>
void orderedColumns(const T* A, std::int32_t M, std::int32_t N, double* W, Scratch& scratch,
                    Ordering ordering) {
  if (ordering == Ordering::sequency) {
    transformColumns(A, M, N, W, scratch);
    return;
  }
  const std::int32_t k = stageCount(M);
  const std::ptrdiff_t L = std::ptrdiff_t{1} << k;
  // About 64 KiB of results at a time, reordered while in cache: short
  // columns in multiples of 16 (whole batches for every vector width), and
  // at least two columns, so that pairs keep their vector path.
  const std::int32_t chunk = static_cast<std::int32_t>(std::max<std::ptrdiff_t>(2, 8192 / L));
  for (std::int32_t c = 0; c < N; c += chunk) {
    const std::int32_t n = std::min(chunk, N - c);
    transformColumns(A + c * std::ptrdiff_t{M}, M, n, W + c * L, scratch);
    reorderColumns(W + c * L, n, k, ordering, scratch.current);
  }
}

#define TOOLBOX_WALSH_DEFINE(T, tag)\
  template void orderedColumns<T>(const T*, std::int32_t, std::int32_t, double*, Scratch&, Ordering);
TOOLBOX_FOR_EACH_ELEMENT_TYPE(TOOLBOX_WALSH_DEFINE)
#undef TOOLBOX_WALSH_DEFINE

}  // namespace walsh
