// The vector transforms with NEON: two doubles per vector, 2^4 vectors per
// register group (32 vector registers).
#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "simd/isa_target.h"
#include "walsh/kernels.h"

#if TOOLBOX_ARM_NEON  // elsewhere this file compiles to nothing
#include <arm_neon.h>

namespace walsh::kernels::neon {
namespace {

#include "simd/neon.inc"

constexpr int RMAX = 4;

// The low and the high half of v (one value each), to memory.
inline void storeLow(double* p, V v) { vst1q_lane_f64(p, v, 0); }
inline void storeHigh(double* p, V v) { vst1q_lane_f64(p, v, 1); }
inline void streamLow(double* p, V v) { storeLow(p, v); }
inline void streamHigh(double* p, V v) { storeHigh(p, v); }
template <unsigned kMask>
inline V blendLanes(V a, V b) {
  const std::uint64_t lanes[2] = {(kMask & 1) ? ~std::uint64_t{0} : 0, (kMask & 2) ? ~std::uint64_t{0} : 0};
  return vbslq_f64(vld1q_u64(lanes), b, a);
}
template <unsigned kMask>
inline V subLanes(V s, V a, V b) { return blendLanes<kMask>(s, sub(a, b)); }

template <int kBit>
inline V partner(V v) {
  static_assert(kBit == 0, "two lanes");
  return vextq_f64(v, v, 1);
}
// With one lane bit, reversing it changes nothing.
inline V reverseLanes(V v) { return v; }

// No lane is an infinity or a NaN: v - v is 0 exactly then.
inline bool allFinite(V v) {
  const uint64x2_t ok = vceqq_f64(sub(v, v), zero());
  return (vgetq_lane_u64(ok, 0) & vgetq_lane_u64(ok, 1)) != 0;
}

// sum - 2b, or 2*(0.5*sum - b) in the lanes where |b| > DBL_MAX/2.
inline V mendedDifference(V sum, V b) {
  const uint64x2_t big = vcgtq_f64(vabsq_f64(b), splat(DBL_MAX / 2));
  const V plain = sub(sum, mul(splat(2.0), b));
  const V mended = mul(splat(2.0), sub(mul(splat(0.5), sum), b));
  return vbslq_f64(big, mended, plain);
}

// r[d][l] = old r[l][d].
inline void transpose(V (&r)[W]) {
  const V t0 = vzip1q_f64(r[0], r[1]), t1 = vzip2q_f64(r[0], r[1]);
  r[0] = t0;
  r[1] = t1;
}

// Stores the transpose of r: element c of r[j] goes to base[c * stride + j].
inline void storeTransposed(V (&r)[W], double* base, std::ptrdiff_t stride) {
  store(base, vzip1q_f64(r[0], r[1]));
  store(base + stride, vzip2q_f64(r[0], r[1]));
}

#include "walsh/kernels.inc"

}  // namespace

#include "walsh/entries.inc"

}  // namespace walsh::kernels::neon

walsh::kernels::ColumnsFn walsh::kernels::entries(cpu::IsaTag<cpu::Isa::neon>) { return neon::columns; }

#endif
