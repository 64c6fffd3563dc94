#include "walsh/transform.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <type_traits>
#include <utility>

#include "walsh/kernels.h"

namespace walsh {

std::int32_t stageCount(std::int32_t M) {
  std::int32_t k = 0;
  while ((std::int32_t{1} << k) < M) ++k;
  return k;
}

namespace {

// The pair stage's second output, sum - 2b with sum = a + b already rounded.
// For |b| > DBL_MAX/2 the product 2b overflows. Then b is a multiple of 2^971,
// and a finite sum is a multiple of 2^970: either |sum| >= 2^1022, or a nearly
// cancels b, so |a| > 2^1022 and the sum is exact. Hence 0.5*sum is exact and
// 2*(0.5*sum - b) is the correctly rounded sum - 2b: halving scales rounding
// exactly in the normal range, and where the difference overflows both forms
// give the same infinity.
inline double pairDifference(double sum, double b) {
  if (std::fabs(b) > DBL_MAX / 2) return 2.0 * (0.5 * sum - b);
  return sum - 2.0 * b;
}

// current[0..M) = a, converted; current[M..L) = 0.
template <class T>
void load(const T* a, std::int32_t M, std::int32_t L, double* current) {
  for (std::int32_t i = 0; i < M; ++i) current[i] = static_cast<double>(a[i]);
  for (std::int32_t i = M; i < L; ++i) current[i] = 0.0;
}

// (a, b) -> (a + b, (a + b) - 2b) on neighbouring entries, in place.
void pairStage(double* v, std::int32_t L) {
  for (std::int32_t j = 0; j + 1 < L; j += 2) {
    const double sum = v[j] + v[j + 1];
    v[j + 1] = pairDifference(sum, v[j + 1]);
    v[j] = sum;
  }
}

// For groups of 2h entries: the halves' entries (x0, x1) and (y0, y1) at the
// same offset 2i give next[base + 4i ...] = (x0 + y0, x0 - y0, x1 - y1, x1 + y1).
void mergeStage(const double* current, double* next, std::int32_t L, std::int32_t h) {
  for (std::int32_t base = 0; base < L; base += 2 * h) {
    const double* x = current + base;
    const double* y = current + base + h;
    double* out = next + base;
    for (std::int32_t i = 0; i < h / 2; ++i) {
      const double x0 = x[2 * i], x1 = x[2 * i + 1];
      const double y0 = y[2 * i], y1 = y[2 * i + 1];
      out[4 * i] = x0 + y0;
      out[4 * i + 1] = x0 - y0;
      out[4 * i + 2] = x1 - y1;
      out[4 * i + 3] = x1 + y1;
    }
  }
}

// One column: a (M values) -> w (L = 2^k values).
template <class T>
void transformColumn(const T* a, std::int32_t M, std::int32_t k, double* w, Scratch& s) {
  const std::int32_t L = std::int32_t{1} << k;
  load(a, M, L, s.current);
  pairStage(s.current, L);
  for (std::int32_t stage = 1; stage < k; ++stage) {
    mergeStage(s.current, s.next, L, std::int32_t{1} << stage);
    std::swap(s.current, s.next);
  }
  // Division by a power of two: exact unless the quotient is subnormal, where
  // it rounds as a multiplication by 2^-k would.
  const double scale = static_cast<double>(L);
  for (std::int32_t r = 0; r < L; ++r) w[r] = s.current[r] / scale;
}

template <class T>
void plainColumns(const T* A, std::int32_t M, std::int32_t N, double* W, Scratch& scratch) {
  const std::int32_t k = stageCount(M);
  const std::ptrdiff_t L = std::ptrdiff_t{1} << k;
  for (std::int32_t c = 0; c < N; ++c) transformColumn(A + c * std::ptrdiff_t{M}, M, k, W + c * L, scratch);
}

// The vector transform for isa, or null for the step-by-step one.
kernels::ColumnsFn kernelFor(cpu::Isa isa) {
  return cpu::select(isa, [](auto set) -> kernels::ColumnsFn {
    if constexpr (set() == cpu::Isa::scalar)
      return nullptr;
    else
      return kernels::entries(set);
  });
}

}  // namespace

void transformColumns(const double* A, std::int32_t M, std::int32_t N, double* W, Scratch& scratch,
                      cpu::Isa isa) {
  const kernels::ColumnsFn columns = kernelFor(isa);
  const std::int32_t k = stageCount(M);
  if (columns && columns(A, M, N, W, k, scratch.current, scratch.next)) {
    // Each merge stage of each column swaps the buffers' roles.
    if (k > 1 && (std::int64_t{N} * (k - 1)) % 2 == 1) std::swap(scratch.current, scratch.next);
    return;
  }
  plainColumns(A, M, N, W, scratch);
}

template <class T>
void transformColumns(const T* A, std::int32_t M, std::int32_t N, double* W, Scratch& scratch) {
  if constexpr (std::is_same_v<T, double>)
    transformColumns(A, M, N, W, scratch, cpu::bestIsa());
  else
    plainColumns(A, M, N, W, scratch);
}

#define TOOLBOX_WALSH_DEFINE(T, tag)\
  template void transformColumns<T>(const T*, std::int32_t, std::int32_t, double*, Scratch&);
TOOLBOX_FOR_EACH_ELEMENT_TYPE(TOOLBOX_WALSH_DEFINE)
#undef TOOLBOX_WALSH_DEFINE

}  // namespace walsh
