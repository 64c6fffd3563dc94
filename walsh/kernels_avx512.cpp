// The vector transforms with AVX-512: eight doubles per vector, 2^4 vectors
// per register group.
#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "simd/isa_target.h"
#include "walsh/kernels.h"

#if TOOLBOX_X86_SIMD  // elsewhere this file compiles to nothing
TOOLBOX_TARGET_BEGIN(TOOLBOX_ISA_AVX512)
#include <immintrin.h>

// GCC 12's shuffle intrinsics start from _mm512_undefined_pd(), which its own
// uninitialized-use analysis reports once inlined.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace walsh::kernels::avx512 {
namespace {

#include "simd/avx512.inc"

constexpr int RMAX = 4;

// Non-temporal stores of the halves of v, to addresses aligned to their size.
inline void streamLow(double* p, V v) { _mm256_stream_pd(p, _mm512_castpd512_pd256(v)); }
inline void streamHigh(double* p, V v) { _mm256_stream_pd(p, _mm512_extractf64x4_pd(v, 1)); }
// The low and the high half of v, to memory.
inline void storeLow(double* p, V v) { _mm256_storeu_pd(p, _mm512_castpd512_pd256(v)); }
inline void storeHigh(double* p, V v) { _mm256_storeu_pd(p, _mm512_extractf64x4_pd(v, 1)); }
template <unsigned kMask>
inline V subLanes(V s, V a, V b) { return _mm512_mask_sub_pd(s, kMask, a, b); }
template <unsigned kMask>
inline V blendLanes(V a, V b) { return _mm512_mask_blend_pd(kMask, a, b); }

template <int kBit>
inline V partner(V v) {
  if constexpr (kBit == 0) return _mm512_permute_pd(v, 0x55);
  else if constexpr (kBit == 1) return _mm512_permutex_pd(v, 0x4E);
  else return _mm512_shuffle_f64x2(v, v, 0x4E);
}
inline V reverseLanes(V v) { return _mm512_permutexvar_pd(_mm512_setr_epi64(0, 4, 2, 6, 1, 5, 3, 7), v); }

// No lane is an infinity or a NaN.
inline bool allFinite(V v) { return _mm512_fpclass_pd_mask(v, 0x01 | 0x08 | 0x10 | 0x80) == 0; }

// sum - 2b, or 2*(0.5*sum - b) in the lanes where |b| > DBL_MAX/2.
inline V mendedDifference(V sum, V b) {
  const __mmask8 big = _mm512_cmp_pd_mask(_mm512_abs_pd(b), splat(DBL_MAX / 2), _CMP_GT_OQ);
  const V plain = sub(sum, mul(splat(2.0), b));
  const V mended = mul(splat(2.0), sub(mul(splat(0.5), sum), b));
  return _mm512_mask_blend_pd(big, plain, mended);
}

// r[d][l] = old r[l][d].
inline void transpose(V (&r)[W]) {
  V t[W];
  for (int i = 0; i < W; i += 2) {
    t[i] = _mm512_unpacklo_pd(r[i], r[i + 1]);
    t[i + 1] = _mm512_unpackhi_pd(r[i], r[i + 1]);
  }
  // 128-bit blocks: from t0/t2 (rows 0-3) blocks 0 and 2 -> columns 0, 4.
  V u[W];
  u[0] = _mm512_shuffle_f64x2(t[0], t[2], 0x88);
  u[1] = _mm512_shuffle_f64x2(t[1], t[3], 0x88);
  u[2] = _mm512_shuffle_f64x2(t[0], t[2], 0xDD);
  u[3] = _mm512_shuffle_f64x2(t[1], t[3], 0xDD);
  u[4] = _mm512_shuffle_f64x2(t[4], t[6], 0x88);
  u[5] = _mm512_shuffle_f64x2(t[5], t[7], 0x88);
  u[6] = _mm512_shuffle_f64x2(t[4], t[6], 0xDD);
  u[7] = _mm512_shuffle_f64x2(t[5], t[7], 0xDD);
  r[0] = _mm512_shuffle_f64x2(u[0], u[4], 0x88);
  r[1] = _mm512_shuffle_f64x2(u[1], u[5], 0x88);
  r[2] = _mm512_shuffle_f64x2(u[2], u[6], 0x88);
  r[3] = _mm512_shuffle_f64x2(u[3], u[7], 0x88);
  r[4] = _mm512_shuffle_f64x2(u[0], u[4], 0xDD);
  r[5] = _mm512_shuffle_f64x2(u[1], u[5], 0xDD);
  r[6] = _mm512_shuffle_f64x2(u[2], u[6], 0xDD);
  r[7] = _mm512_shuffle_f64x2(u[3], u[7], 0xDD);
}

// Stores the transpose of r: element c of r[j] goes to base[c * stride + j].
// Each group of four rows is transposed within 256-bit halves only; the
// halves go out separately.
inline void storeTransposed(V (&r)[W], double* base, std::ptrdiff_t stride) {
  const __m512i lo = _mm512_setr_epi64(0, 1, 8, 9, 4, 5, 12, 13), hi = _mm512_setr_epi64(2, 3, 10, 11, 6, 7, 14, 15);
  for (int g = 0; g < W; g += 4) {
    const V t0 = _mm512_unpacklo_pd(r[g], r[g + 1]), t1 = _mm512_unpackhi_pd(r[g], r[g + 1]);
    const V t2 = _mm512_unpacklo_pd(r[g + 2], r[g + 3]), t3 = _mm512_unpackhi_pd(r[g + 2], r[g + 3]);
    // x[d]: rows g .. g+3 of column d (low half) and of column d + 4 (high half).
    const V x[4] = {_mm512_permutex2var_pd(t0, lo, t2), _mm512_permutex2var_pd(t1, lo, t3),
                    _mm512_permutex2var_pd(t0, hi, t2), _mm512_permutex2var_pd(t1, hi, t3)};
    for (int d = 0; d < 4; ++d) {
      storeLow(base + d * stride + g, x[d]);
      storeHigh(base + (d + 4) * stride + g, x[d]);
    }
  }
}

#include "walsh/kernels.inc"

}  // namespace

#include "walsh/entries.inc"

}  // namespace walsh::kernels::avx512

walsh::kernels::ColumnsFn walsh::kernels::entries(cpu::IsaTag<cpu::Isa::avx512>) { return avx512::columns; }

TOOLBOX_TARGET_END
#endif
