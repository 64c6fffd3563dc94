// The block copies with AVX-512: eight doubles per vector, masked partial runs.
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "blocks/kernels.h"
#include "simd/isa_target.h"

#if TOOLBOX_X86_SIMD  // elsewhere this file compiles to nothing
TOOLBOX_TARGET_BEGIN(TOOLBOX_ISA_AVX512)
#include <immintrin.h>

namespace blocks::kernels::avx512 {
namespace {

#include "simd/avx512.inc"

inline void moveTwo(const double* from, double* to) { _mm_storeu_pd(to, _mm_loadu_pd(from)); }
inline void moveFour(const double* from, double* to) { _mm256_storeu_pd(to, _mm256_loadu_pd(from)); }

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

// Lane j of shiftIn(prev, cur, shiftBy(lead)) is lane W - lead + j of prev for
// j < lead, else lane j - lead of cur.
using Shift = __m512i;
inline Shift shiftBy(std::ptrdiff_t lead) {
  return _mm512_add_epi64(_mm512_setr_epi64(0, 1, 2, 3, 4, 5, 6, 7), _mm512_set1_epi64(W - lead));
}
inline V shiftIn(V prev, V cur, Shift s) { return _mm512_permutex2var_pd(prev, s, cur); }

#include "blocks/kernels.inc"

}  // namespace

#include "blocks/entries.inc"

}  // namespace blocks::kernels::avx512

blocks::kernels::Set blocks::kernels::entries(cpu::IsaTag<cpu::Isa::avx512>) {
  return {avx512::cut, avx512::paste};
}

TOOLBOX_TARGET_END
#endif
