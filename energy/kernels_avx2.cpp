// The cyclic energy sums with AVX2: four doubles per vector; partial vectors
// through masked loads and stores.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "energy/kernels.h"
#include "simd/isa_target.h"

#if TOOLBOX_X86_SIMD  // elsewhere this file compiles to nothing
TOOLBOX_TARGET_BEGIN(TOOLBOX_ISA_AVX2)
#include <immintrin.h>

namespace energy::kernels::avx2 {
namespace {

#include "simd/avx2.inc"

inline V loadEither(M a, const double* pa, M b, const double* pb) {
  return _mm256_or_pd(_mm256_maskload_pd(pa, a), _mm256_maskload_pd(pb, b));
}

inline M below(I rows, I r) { return _mm256_cmpgt_epi64(r, rows); }
inline I nextRows(I rows, I step, I m) {
  rows = _mm256_add_epi64(rows, step);
  return _mm256_sub_epi64(rows, _mm256_andnot_si256(_mm256_cmpgt_epi64(m, rows), m));
}

// Lanes l of the rows m - t + l (mod m) of a column of m >= W rows, into to.
inline void wrapRows(const double* col, std::ptrdiff_t m, std::ptrdiff_t t, double* to) {
  for (int l = 0; l < W; ++l) to[l] = col[l < t ? m - t + l : l - t];
}
// x mod m for 0 <= x < 2m.
inline I wrapRow(I x, I m) { return _mm256_sub_epi64(x, _mm256_andnot_si256(_mm256_cmpgt_epi64(m, x), m)); }
inline I timesDouble(I x) { return _mm256_slli_epi64(x, 3); }
inline I choose(M k, I a, I b) { return _mm256_blendv_epi8(b, a, k); }

constexpr int kTileVectors = 8;
constexpr int kFieldTileVectors = 10;

#include "energy/kernels.inc"

}  // namespace

#include "energy/entries.inc"

}  // namespace energy::kernels::avx2

energy::kernels::Set energy::kernels::entries(cpu::IsaTag<cpu::Isa::avx2>) {
  return {avx2::add, avx2::addPadded, avx2::addRows, avx2::addTiled};
}

TOOLBOX_TARGET_END
#endif
