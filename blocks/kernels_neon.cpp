// The block copies with NEON: two doubles per vector. NEON has no
// non-temporal store of its own here: streamLine writes through the caches.
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "blocks/kernels.h"
#include "simd/isa_target.h"

#if TOOLBOX_ARM_NEON  // elsewhere this file compiles to nothing
#include <arm_neon.h>

namespace blocks::kernels::neon {
namespace {

constexpr int W = 2;
using V = float64x2_t;

inline V load(const double* p) { return vld1q_f64(p); }
inline void store(double* p, V v) { vst1q_f64(p, v); }
// n = 1: the lane moves as a bit pattern, never touching p[1].
inline V loadPart(const double* p, std::ptrdiff_t) { return vld1q_lane_f64(p, vdupq_n_f64(0), 0); }
inline void storePart(double* p, std::ptrdiff_t, V v) { vst1q_lane_f64(p, v, 0); }
inline void moveTwo(const double* from, double* to) { store(to, load(from)); }
inline void moveFour(const double* from, double* to) {
  store(to, load(from));
  store(to + 2, load(from + 2));
}
inline void streamLine(double* to, const double* from) {
  for (int i = 0; i < 8; i += 2) store(to + i, load(from + i));
}
inline void endStreams() {}

// One 2-by-2 block per vector pair: a = its column 0, b = its column 1 are
// already its storage order.
inline void interleavePairs(V a, V b, V& lo, V& hi) {
  lo = a;
  hi = b;
}
inline void deinterleavePairs(V lo, V hi, V& a, V& b) {
  a = lo;
  b = hi;
}

#include "blocks/kernels.inc"

}  // namespace blocks::kernels::neon

#endif
