// The cyclic energy sums with AVX-512: eight doubles per vector, masked
// partial vectors.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "energy/kernels.h"
#include "simd/isa_target.h"

#if TOOLBOX_X86_SIMD  // elsewhere this file compiles to nothing
TOOLBOX_TARGET_BEGIN(TOOLBOX_ISA_AVX512)
#include <immintrin.h>

namespace energy::kernels::avx512 {
namespace {

#include "simd/avx512.inc"

inline V loadEither(M a, const double* pa, M b, const double* pb) {
  return _mm512_mask_loadu_pd(_mm512_maskz_loadu_pd(a, pa), b, pb);
}

inline M below(I rows, I r) { return _mm512_cmplt_epi64_mask(rows, r); }
inline I nextRows(I rows, I step, I m) {
  rows = _mm512_add_epi64(rows, step);
  return _mm512_mask_sub_epi64(rows, _mm512_cmpge_epi64_mask(rows, m), rows, m);
}

// Lanes l of the rows m - t + l (mod m) of a column of m >= W rows, into to.
inline void wrapRows(const double* col, std::ptrdiff_t m, std::ptrdiff_t t, double* to) {
  const I index = _mm512_add_epi64(_mm512_set1_epi64(W - t), _mm512_setr_epi64(0, 1, 2, 3, 4, 5, 6, 7));
  _mm512_store_pd(to, _mm512_permutex2var_pd(load(col + m - W), index, load(col)));
}
// x mod m for 0 <= x < 2m.
inline I wrapRow(I x, I m) { return _mm512_mask_sub_epi64(x, _mm512_cmpge_epi64_mask(x, m), x, m); }
inline I timesDouble(I x) {
  x = _mm512_add_epi64(x, x);
  x = _mm512_add_epi64(x, x);
  return _mm512_add_epi64(x, x);
}
inline I choose(M k, I a, I b) { return _mm512_mask_blend_epi64(k, b, a); }

constexpr int kTileVectors = 16;
constexpr int kFieldTileVectors = 24;

#include "energy/kernels.inc"

}  // namespace

#include "energy/entries.inc"

}  // namespace energy::kernels::avx512

energy::kernels::Set energy::kernels::entries(cpu::IsaTag<cpu::Isa::avx512>) {
  return {avx512::add, avx512::addPadded, avx512::addRows, avx512::addTiled};
}

TOOLBOX_TARGET_END
#endif
