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

#include "blocks/kernels.inc"

}  // namespace

#include "blocks/entries.inc"

}  // namespace blocks::kernels::avx2

blocks::kernels::Set blocks::kernels::entries(cpu::IsaTag<cpu::Isa::avx2>) {
  return {avx2::cut, avx2::paste};
}

TOOLBOX_TARGET_END
#endif
