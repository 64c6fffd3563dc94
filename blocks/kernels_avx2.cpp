// The block copies with AVX2: four doubles per vector.
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "blocks/kernels.h"
#include "simd/isa_target.h"

#if TOOLBOX_X86_SIMD  // elsewhere this file compiles to nothing
TOOLBOX_TARGET_BEGIN(TOOLBOX_ISA_AVX2)
#include <immintrin.h>

namespace blocks::kernels::avx2 {
namespace {

#include "simd/avx2.inc"

inline void moveTwo(const double* from, double* to) { _mm_storeu_pd(to, _mm_loadu_pd(from)); }
inline void moveFour(const double* from, double* to) { store(to, load(from)); }

// a = column 0, b = column 1 of two 2-by-2 blocks: lo = a0 a1 b0 b1, hi = a2 a3 b2 b3.
inline void interleavePairs(V a, V b, V& lo, V& hi) {
  lo = _mm256_permute2f128_pd(a, b, 0x20);
  hi = _mm256_permute2f128_pd(a, b, 0x31);
}
inline void deinterleavePairs(V lo, V hi, V& a, V& b) {
  a = _mm256_permute2f128_pd(lo, hi, 0x20);
  b = _mm256_permute2f128_pd(lo, hi, 0x31);
}

// Lane j of shiftIn(prev, cur, shiftBy(lead)) is lane W - lead + j of prev for
// j < lead, else lane j - lead of cur: both rotated by lead lanes (as pairs of
// 32-bit halves, moved bit for bit), then blended.
struct Shift {
  __m256i halves;  // the 32-bit halves of lane (j - lead) mod W, for lane j
  V fromPrev;      // all ones in lanes j < lead
};
inline Shift shiftBy(std::ptrdiff_t lead) {
  alignas(32) std::int32_t halves[2 * W];
  alignas(32) std::int64_t fromPrev[W];
  for (std::ptrdiff_t j = 0; j < W; ++j) {
    const auto from = static_cast<std::int32_t>((j - lead + W) % W);
    halves[2 * j] = 2 * from;
    halves[2 * j + 1] = 2 * from + 1;
    fromPrev[j] = j < lead ? -1 : 0;
  }
  return {_mm256_load_si256(reinterpret_cast<const __m256i*>(halves)),
          _mm256_castsi256_pd(_mm256_load_si256(reinterpret_cast<const __m256i*>(fromPrev)))};
}
inline V shiftIn(V prev, V cur, const Shift& s) {
  const V p = _mm256_castps_pd(_mm256_permutevar8x32_ps(_mm256_castpd_ps(prev), s.halves));
  const V c = _mm256_castps_pd(_mm256_permutevar8x32_ps(_mm256_castpd_ps(cur), s.halves));
  return _mm256_blendv_pd(c, p, s.fromPrev);
}

#include "blocks/kernels.inc"

}  // namespace

#include "blocks/entries.inc"

}  // namespace blocks::kernels::avx2

blocks::kernels::Set blocks::kernels::entries(cpu::IsaTag<cpu::Isa::avx2>) {
  return {avx2::cut, avx2::paste};
}

TOOLBOX_TARGET_END
#endif
