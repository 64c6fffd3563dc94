// The cyclic energy sums with NEON: two doubles per vector. NEON has no
// masked loads or stores: the lanes of a set move one by one, so that lanes
// outside it are neither read nor written.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "energy/kernels.h"
#include "simd/isa_target.h"

#if TOOLBOX_ARM_NEON  // elsewhere this file compiles to nothing
#include <arm_neon.h>

namespace energy::kernels::neon {
namespace {

constexpr int W = 2;
using V = float64x2_t;
using M = uint64x2_t;  // all ones in the lanes of the set
using I = int64x2_t;

inline M allLanes() { return vdupq_n_u64(~std::uint64_t{0}); }
inline M firstLanes(std::ptrdiff_t n) {
  const std::int64_t lanes[2] = {0, 1};
  return vcgtq_s64(vdupq_n_s64(n), vld1q_s64(lanes));
}
inline M both(M a, M b) { return vandq_u64(a, b); }
inline M butNot(M a, M b) { return vbicq_u64(a, b); }
inline bool has0(M k) { return vgetq_lane_u64(k, 0) != 0; }
inline bool has1(M k) { return vgetq_lane_u64(k, 1) != 0; }

inline V load(const double* p) { return vld1q_f64(p); }
inline void store(double* p, V v) { vst1q_f64(p, v); }
inline V loadPart(M k, const double* p) {
  V v = vdupq_n_f64(0);
  if (has0(k)) v = vld1q_lane_f64(p, v, 0);
  if (has1(k)) v = vld1q_lane_f64(p + 1, v, 1);
  return v;
}
inline void storePart(M k, double* p, V v) {
  if (has0(k)) vst1q_lane_f64(p, v, 0);
  if (has1(k)) vst1q_lane_f64(p + 1, v, 1);
}
inline V loadEither(M a, const double* pa, M b, const double* pb) {
  V v = vdupq_n_f64(0);
  if (has0(a)) v = vld1q_lane_f64(pa, v, 0);
  else if (has0(b)) v = vld1q_lane_f64(pb, v, 0);
  if (has1(a)) v = vld1q_lane_f64(pa + 1, v, 1);
  else if (has1(b)) v = vld1q_lane_f64(pb + 1, v, 1);
  return v;
}
inline V add(V a, V b) { return vaddq_f64(a, b); }
inline V mul(V a, V b) { return vmulq_f64(a, b); }

inline I splat(std::int64_t x) { return vdupq_n_s64(x); }
inline I loadIndices(const std::int64_t* p) { return vld1q_s64(p); }
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
inline I addI(I a, I b) { return vaddq_s64(a, b); }
inline void storeIndices(std::int64_t* p, I x) { vst1q_s64(p, x); }
inline M above(I x, I y) { return vcgtq_s64(x, y); }
inline I timesDouble(I x) { return vshlq_n_s64(x, 3); }
inline I choose(M k, I a, I b) { return vbslq_s64(k, a, b); }
inline void fetchAhead(const double* p) { __builtin_prefetch(p); }

// 32 vector registers, as with AVX-512.
constexpr int kTileVectors = 16;
constexpr int kFieldTileVectors = 24;

#include "energy/kernels.inc"

}  // namespace energy::kernels::neon

#endif
