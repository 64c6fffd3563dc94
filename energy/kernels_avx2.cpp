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

constexpr int W = 4;
using V = __m256d;
using M = __m256i;  // all ones in the lanes of the set
using I = __m256i;

inline M allLanes() { return _mm256_set1_epi64x(-1); }
inline M firstLanes(std::ptrdiff_t n) {
  return _mm256_cmpgt_epi64(_mm256_set1_epi64x(n), _mm256_setr_epi64x(0, 1, 2, 3));
}
inline M both(M a, M b) { return _mm256_and_si256(a, b); }
inline M butNot(M a, M b) { return _mm256_andnot_si256(b, a); }

inline V load(const double* p) { return _mm256_loadu_pd(p); }
inline void store(double* p, V v) { _mm256_storeu_pd(p, v); }
inline V loadPart(M k, const double* p) { return _mm256_maskload_pd(p, k); }
inline void storePart(M k, double* p, V v) { _mm256_maskstore_pd(p, k, v); }
inline V loadEither(M a, const double* pa, M b, const double* pb) {
  return _mm256_or_pd(_mm256_maskload_pd(pa, a), _mm256_maskload_pd(pb, b));
}
inline V add(V a, V b) { return _mm256_add_pd(a, b); }
inline V mul(V a, V b) { return _mm256_mul_pd(a, b); }

inline I splat(std::int64_t x) { return _mm256_set1_epi64x(x); }
inline I loadIndices(const std::int64_t* p) { return _mm256_load_si256(reinterpret_cast<const __m256i*>(p)); }
inline M below(I rows, I r) { return _mm256_cmpgt_epi64(r, rows); }
inline I nextRows(I rows, I step, I m) {
  rows = _mm256_add_epi64(rows, step);
  return _mm256_sub_epi64(rows, _mm256_andnot_si256(_mm256_cmpgt_epi64(m, rows), m));
}

// Lanes l of the rows m - t + l (mod m) of a column of m >= W rows, into to.
inline void wrapRows(const double* col, std::ptrdiff_t m, std::ptrdiff_t t, double* to) {
  for (int l = 0; l < W; ++l) to[l] = col[l < t ? m - t + l : l - t];
}
inline I addI(I a, I b) { return _mm256_add_epi64(a, b); }
inline void storeIndices(std::int64_t* p, I x) { _mm256_store_si256(reinterpret_cast<__m256i*>(p), x); }
// x mod m for 0 <= x < 2m.
inline I wrapRow(I x, I m) { return _mm256_sub_epi64(x, _mm256_andnot_si256(_mm256_cmpgt_epi64(m, x), m)); }
inline M above(I x, I y) { return _mm256_cmpgt_epi64(x, y); }
inline I timesDouble(I x) { return _mm256_slli_epi64(x, 3); }
inline I choose(M k, I a, I b) { return _mm256_blendv_epi8(b, a, k); }
inline void fetchAhead(const double* p) { _mm_prefetch(reinterpret_cast<const char*>(p), _MM_HINT_T0); }

constexpr int kTileVectors = 8;
constexpr int kFieldTileVectors = 10;

#include "energy/kernels.inc"

}  // namespace energy::kernels::avx2

TOOLBOX_TARGET_END
#endif
