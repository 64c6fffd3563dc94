// The block copies with AVX-512: eight doubles per vector, masked partial runs.
#include <cstdint>
#include <type_traits>

#include "blocks/kernels.h"
#include "simd/isa_target.h"

#if TOOLBOX_X86_SIMD  // elsewhere this file compiles to nothing
TOOLBOX_TARGET_BEGIN(TOOLBOX_ISA_AVX512)
#include <immintrin.h>

namespace blocks::kernels::avx512 {
namespace {

constexpr int W = 8;
using V = __m512d;

inline V load(const double* p) { return _mm512_loadu_pd(p); }
inline void store(double* p, V v) { _mm512_storeu_pd(p, v); }
inline __mmask8 firstLanes(std::ptrdiff_t n) { return static_cast<__mmask8>((1u << n) - 1); }
inline V loadPart(const double* p, std::ptrdiff_t n) { return _mm512_maskz_loadu_pd(firstLanes(n), p); }
inline void storePart(double* p, std::ptrdiff_t n, V v) { _mm512_mask_storeu_pd(p, firstLanes(n), v); }
inline void moveTwo(const double* from, double* to) { _mm_storeu_pd(to, _mm_loadu_pd(from)); }
inline void moveFour(const double* from, double* to) { _mm256_storeu_pd(to, _mm256_loadu_pd(from)); }
inline void endStreams() { _mm_sfence(); }
inline void streamLine(double* to, const double* from) { _mm512_stream_pd(to, _mm512_loadu_pd(from)); }

// a = column 0, b = column 1 of four 2-by-2 blocks; lo and hi hold the blocks
// in their storage order: a0 a1 b0 b1 | a2 a3 b2 b3 | ...
inline void interleavePairs(V a, V b, V& lo, V& hi) {
  lo = _mm512_permutex2var_pd(a, _mm512_setr_epi64(0, 1, 8, 9, 2, 3, 10, 11), b);
  hi = _mm512_permutex2var_pd(a, _mm512_setr_epi64(4, 5, 12, 13, 6, 7, 14, 15), b);
}
inline void deinterleavePairs(V lo, V hi, V& a, V& b) {
  a = _mm512_permutex2var_pd(lo, _mm512_setr_epi64(0, 1, 4, 5, 8, 9, 12, 13), hi);
  b = _mm512_permutex2var_pd(lo, _mm512_setr_epi64(2, 3, 6, 7, 10, 11, 14, 15), hi);
}

#include "blocks/kernels.inc"

}  // namespace blocks::kernels::avx512

TOOLBOX_TARGET_END
#endif
