// The block copies with AVX2: four doubles per vector.
#include <cstdint>
#include <type_traits>

#include "blocks/kernels.h"
#include "simd/isa_target.h"

#if TOOLBOX_X86_SIMD  // elsewhere this file compiles to nothing
TOOLBOX_TARGET_BEGIN(TOOLBOX_ISA_AVX2)
#include <immintrin.h>

namespace blocks::kernels::avx2 {
namespace {

constexpr int W = 4;
using V = __m256d;

inline V load(const double* p) { return _mm256_loadu_pd(p); }
inline void store(double* p, V v) { _mm256_storeu_pd(p, v); }
inline __m256i firstLanes(std::ptrdiff_t n) {
  return _mm256_cmpgt_epi64(_mm256_set1_epi64x(n), _mm256_setr_epi64x(0, 1, 2, 3));
}
inline V loadPart(const double* p, std::ptrdiff_t n) { return _mm256_maskload_pd(p, firstLanes(n)); }
inline void storePart(double* p, std::ptrdiff_t n, V v) { _mm256_maskstore_pd(p, firstLanes(n), v); }
inline void moveTwo(const double* from, double* to) { _mm_storeu_pd(to, _mm_loadu_pd(from)); }
inline void moveFour(const double* from, double* to) { _mm256_storeu_pd(to, _mm256_loadu_pd(from)); }
inline void endStreams() { _mm_sfence(); }
inline void streamLine(double* to, const double* from) {
  _mm256_stream_pd(to, _mm256_loadu_pd(from));
  _mm256_stream_pd(to + 4, _mm256_loadu_pd(from + 4));
}

// a = column 0, b = column 1 of two 2-by-2 blocks: lo = a0 a1 b0 b1, hi = a2 a3 b2 b3.
inline void interleavePairs(V a, V b, V& lo, V& hi) {
  lo = _mm256_permute2f128_pd(a, b, 0x20);
  hi = _mm256_permute2f128_pd(a, b, 0x31);
}
inline void deinterleavePairs(V lo, V hi, V& a, V& b) {
  a = _mm256_permute2f128_pd(lo, hi, 0x20);
  b = _mm256_permute2f128_pd(lo, hi, 0x31);
}

#include "blocks/kernels.inc"

}  // namespace blocks::kernels::avx2

TOOLBOX_TARGET_END
#endif
