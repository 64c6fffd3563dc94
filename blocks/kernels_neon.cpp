// The block copies with NEON: two doubles per vector.
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "blocks/kernels.h"
#include "simd/isa_target.h"

#if TOOLBOX_ARM_NEON  // elsewhere this file compiles to nothing
#include <arm_neon.h>

namespace blocks::kernels::neon {
namespace {

#include "simd/neon.inc"

// Two and four values are whole vectors here: copyFixed names these in
// branches it never takes with W = 2.
[[maybe_unused]] inline void moveTwo(const double* from, double* to) { store(to, load(from)); }
[[maybe_unused]] inline void moveFour(const double* from, double* to) {
  store(to, load(from));
  store(to + 2, load(from + 2));
}

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

// Lane j of shiftIn(prev, cur, shiftBy(lead)) is lane W - lead + j of prev for
// j < lead, else lane j - lead of cur; lead is 0 or 1.
using Shift = bool;
inline Shift shiftBy(std::ptrdiff_t lead) { return lead != 0; }
inline V shiftIn(V prev, V cur, Shift s) { return s ? vextq_f64(prev, cur, 1) : cur; }

#include "blocks/kernels.inc"

}  // namespace

#include "blocks/entries.inc"

}  // namespace blocks::kernels::neon

blocks::kernels::Set blocks::kernels::entries(cpu::IsaTag<cpu::Isa::neon>) {
  return {neon::cut, neon::paste};
}

#endif
