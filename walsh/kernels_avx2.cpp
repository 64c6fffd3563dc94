// The vector transforms with AVX2: four doubles per vector, 2^3 vectors per
// register group.
#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "simd/isa_target.h"
#include "walsh/kernels.h"

#if TOOLBOX_X86_SIMD  // elsewhere this file compiles to nothing
TOOLBOX_TARGET_BEGIN(TOOLBOX_ISA_AVX2)
#include <immintrin.h>

namespace walsh::kernels::avx2 {
namespace {

#include "simd/avx2.inc"

constexpr int RMAX = 3;

// Non-temporal stores of the halves of v, to addresses aligned to their size.
inline void streamLow(double* p, V v) { _mm_stream_pd(p, _mm256_castpd256_pd128(v)); }
inline void streamHigh(double* p, V v) { _mm_stream_pd(p, _mm256_extractf128_pd(v, 1)); }
// The low and the high half of v, to memory.
inline void storeLow(double* p, V v) { _mm_storeu_pd(p, _mm256_castpd256_pd128(v)); }
inline void storeHigh(double* p, V v) { _mm_storeu_pd(p, _mm256_extractf128_pd(v, 1)); }
template <unsigned kMask>
inline V blendLanes(V a, V b) { return _mm256_blend_pd(a, b, kMask); }
template <unsigned kMask>
inline V subLanes(V s, V a, V b) { return blendLanes<kMask>(s, sub(a, b)); }

template <int kBit>
inline V partner(V v) {
  if constexpr (kBit == 0) return _mm256_permute_pd(v, 0x5);
  else return _mm256_permute2f128_pd(v, v, 0x01);
}
inline V reverseLanes(V v) { return _mm256_permute4x64_pd(v, 0xD8); }  // 0, 2, 1, 3

// No lane is an infinity or a NaN: v - v is 0 exactly then.
inline bool allFinite(V v) { return _mm256_movemask_pd(_mm256_cmp_pd(sub(v, v), zero(), _CMP_NEQ_UQ)) == 0; }

// sum - 2b, or 2*(0.5*sum - b) in the lanes where |b| > DBL_MAX/2.
inline V mendedDifference(V sum, V b) {
  const V magnitude = _mm256_andnot_pd(splat(-0.0), b);
  const V big = _mm256_cmp_pd(magnitude, splat(DBL_MAX / 2), _CMP_GT_OQ);
  const V plain = sub(sum, mul(splat(2.0), b));
  const V mended = mul(splat(2.0), sub(mul(splat(0.5), sum), b));
  return _mm256_blendv_pd(plain, mended, big);
}

// r[d][l] = old r[l][d].
inline void transpose(V (&r)[W]) {
  const V t0 = _mm256_unpacklo_pd(r[0], r[1]), t1 = _mm256_unpackhi_pd(r[0], r[1]);
  const V t2 = _mm256_unpacklo_pd(r[2], r[3]), t3 = _mm256_unpackhi_pd(r[2], r[3]);
  r[0] = _mm256_permute2f128_pd(t0, t2, 0x20);
  r[1] = _mm256_permute2f128_pd(t1, t3, 0x20);
  r[2] = _mm256_permute2f128_pd(t0, t2, 0x31);
  r[3] = _mm256_permute2f128_pd(t1, t3, 0x31);
}

// Stores the transpose of r: element c of r[j] goes to base[c * stride + j].
// Only pairs of rows are interleaved; 128-bit halves go out separately.
inline void storeTransposed(V (&r)[W], double* base, std::ptrdiff_t stride) {
  for (int g = 0; g < W; g += 2) {
    const V t0 = _mm256_unpacklo_pd(r[g], r[g + 1]), t1 = _mm256_unpackhi_pd(r[g], r[g + 1]);
    storeLow(base + g, t0);                // column 0
    storeLow(base + stride + g, t1);       // column 1
    storeHigh(base + 2 * stride + g, t0);  // column 2
    storeHigh(base + 3 * stride + g, t1);  // column 3
  }
}

#include "walsh/kernels.inc"

}  // namespace

#include "walsh/entries.inc"

}  // namespace walsh::kernels::avx2

walsh::kernels::ColumnsFn walsh::kernels::entries(cpu::IsaTag<cpu::Isa::avx2>) { return avx2::columns; }

TOOLBOX_TARGET_END
#endif
