// The cyclic energy sums with NEON: two doubles per vector.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "energy/kernels.h"
#include "simd/isa_target.h"

#if TOOLBOX_ARM_NEON  // elsewhere this file compiles to nothing
#include <arm_neon.h>

namespace energy::kernels::neon {
namespace {

#include "simd/neon.inc"

inline V loadEither(M a, const double* pa, M b, const double* pb) {
  V v = zero();
  if (has0(a)) v = vld1q_lane_f64(pa, v, 0);
  else if (has0(b)) v = vld1q_lane_f64(pb, v, 0);
  if (has1(a)) v = vld1q_lane_f64(pa + 1, v, 1);
  else if (has1(b)) v = vld1q_lane_f64(pb + 1, v, 1);
  return v;
}

inline M below(I rows, I r) { return vcltq_s64(rows, r); }
// x mod m for 0 <= x < 2m.
inline I wrapRow(I x, I m) {
  return vsubq_s64(x, vreinterpretq_s64_u64(vbicq_u64(vreinterpretq_u64_s64(m), vcgtq_s64(m, x))));
}
inline I nextRows(I rows, I step, I m) { return wrapRow(vaddq_s64(rows, step), m); }

// Lanes l of the rows m - t + l (mod m) of a column of m >= W rows, into to.
inline void wrapRows(const double* col, std::ptrdiff_t m, std::ptrdiff_t t, double* to) {
  for (int l = 0; l < W; ++l) to[l] = col[l < t ? m - t + l : l - t];
}
inline I timesDouble(I x) { return vshlq_n_s64(x, 3); }
inline I choose(M k, I a, I b) { return vbslq_s64(k, a, b); }

// 32 vector registers, as with AVX-512.
constexpr int kTileVectors = 16;
constexpr int kFieldTileVectors = 24;

#include "energy/kernels.inc"

}  // namespace

#include "energy/entries.inc"

}  // namespace energy::kernels::neon

energy::kernels::Set energy::kernels::entries(cpu::IsaTag<cpu::Isa::neon>) {
  return {neon::add, neon::addPadded, neon::addRows, neon::addTiled};
}

#endif
