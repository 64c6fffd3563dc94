// Which of the instruction sets (simd/isa.h) the running processor and
// operating system support, and the choice among a kernel's entry points.
// Cores take an Isa argument so that tests can run every path; plug-ins pass
// bestIsa().
//
// Detection reads cpuid and xgetbv directly, so a plug-in needs no runtime
// library for it on any platform. It runs once per process: cpuid is slow
// (under a hypervisor it traps, costing microseconds), and the answer is a
// property of the machine that no call can change.
#ifndef TOOLBOX_SIMD_CPU_H
#define TOOLBOX_SIMD_CPU_H

#include <atomic>
#include <cstdint>

#include "simd/isa.h"
#include "simd/isa_target.h"
#if TOOLBOX_X86_SIMD
#include <cpuid.h>
#endif

namespace cpu {

#if TOOLBOX_X86_SIMD
namespace detail {

// Register state the operating system saves on a context switch (XCR0).
inline std::uint64_t enabledState() {
  std::uint32_t lo, hi;
  __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
  return (std::uint64_t{hi} << 32) | lo;
}

inline bool detect(Isa isa) {
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  const bool osxsave = c & (1u << 27), avx = c & (1u << 28);
  if (!osxsave || !avx) return false;
  const std::uint64_t state = enabledState();
  if ((state & 0x6) != 0x6) return false;  // SSE and AVX registers
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
  const bool avx2 = b & (1u << 5);
  if (isa == Isa::avx2) return avx2;
  // AVX-512 F, DQ, BW, VL and the opmask and upper-register state.
  const std::uint32_t avx512 = (1u << 16) | (1u << 17) | (1u << 30) | (1u << 31);
  return avx2 && (b & avx512) == avx512 && (state & 0xe0) == 0xe0;
}

// Bit 0: AVX2, bit 1: AVX-512. Threads that race on the first call store the
// same value.
inline int features() {
  static std::atomic<int> known{-1};
  int f = known.load(std::memory_order_relaxed);
  if (f < 0) {
    f = (detect(Isa::avx2) ? 1 : 0) | (detect(Isa::avx512) ? 2 : 0);
    known.store(f, std::memory_order_relaxed);
  }
  return f;
}

}  // namespace detail

inline bool supports(Isa isa) {
  if (isa == Isa::neon) return false;
  return isa == Isa::scalar || (detail::features() & (isa == Isa::avx2 ? 1 : 2)) != 0;
}
#else
inline bool supports(Isa isa) { return isa == Isa::scalar || (TOOLBOX_ARM_NEON && isa == Isa::neon); }
#endif

inline Isa bestIsa() {
  if (supports(Isa::neon)) return Isa::neon;
  if (supports(Isa::avx512)) return Isa::avx512;
  if (supports(Isa::avx2)) return Isa::avx2;
  return Isa::scalar;
}

// get(IsaTag<isa>{}): the entry points for isa where this processor family has
// code for it, else get(IsaTag<Isa::scalar>{}). Only the sets compiled for
// this family are named, so the others need not exist.
template <class Get>
auto select(Isa isa, Get get) {
#if TOOLBOX_X86_SIMD
  if (isa == Isa::avx512) return get(IsaTag<Isa::avx512>{});
  if (isa == Isa::avx2) return get(IsaTag<Isa::avx2>{});
#endif
#if TOOLBOX_ARM_NEON
  if (isa == Isa::neon) return get(IsaTag<Isa::neon>{});
#endif
  (void)isa;
  return get(IsaTag<Isa::scalar>{});
}

inline const char* name(Isa isa) {
  return isa == Isa::avx512 ? "avx512" : isa == Isa::avx2 ? "avx2" : isa == Isa::neon ? "neon" : "scalar";
}

}  // namespace cpu

#endif
