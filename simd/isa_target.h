// Compiles the rest of a translation unit for one x86 instruction set,
// whatever flags the build passes, so that every build (CMake, mkoctfile,
// MATLAB's mex, setup.py) compiles per-ISA files the same way, from the same
// list of sources on every processor:
//
//   #include "simd/isa_target.h"
//   #if TOOLBOX_X86_SIMD
//   TOOLBOX_TARGET_BEGIN("avx2")
//   #include <immintrin.h>
//   ... code run only where the processor has AVX2 ...
//   TOOLBOX_TARGET_END
//   #endif
//
// TOOLBOX_X86_SIMD is the one test of the processor family: where it is 0
// (ARM, 32-bit x86, compilers without GNU extensions) such a file compiles to
// nothing and the dispatch (simd/cpu.h) offers no x86 path. The NEON files
// are guarded by TOOLBOX_ARM_NEON alike.
//
// Such a file must include no header with inline functions after the BEGIN
// line (standard headers of types only): an inline function compiled there
// could be picked by the linker for every caller, on any processor. This
// header defines macros only, for the same reason.
#ifndef TOOLBOX_SIMD_ISA_TARGET_H
#define TOOLBOX_SIMD_ISA_TARGET_H

#if (defined(__x86_64__) || defined(_M_X64)) && defined(__GNUC__)
#define TOOLBOX_X86_SIMD 1
#else
#define TOOLBOX_X86_SIMD 0
#endif
// NEON (Advanced SIMD) is part of every 64-bit ARM processor: its files need
// no target region and the dispatch no run-time test.
#if defined(__aarch64__) && defined(__ARM_NEON)
#define TOOLBOX_ARM_NEON 1
#else
#define TOOLBOX_ARM_NEON 0
#endif

#define TOOLBOX_PRAGMA(x) _Pragma(#x)
#if defined(__clang__)
#define TOOLBOX_TARGET_BEGIN(isa) \
  TOOLBOX_PRAGMA(clang attribute push(__attribute__((target(isa))), apply_to = function))
#define TOOLBOX_TARGET_END TOOLBOX_PRAGMA(clang attribute pop)
#else
#define TOOLBOX_TARGET_BEGIN(isa) TOOLBOX_PRAGMA(GCC target(isa))
#define TOOLBOX_TARGET_END
#endif

#define TOOLBOX_ISA_AVX2 "avx2"
#define TOOLBOX_ISA_AVX512 "avx512f,avx512vl,avx512dq,avx512bw,avx2"

#endif
