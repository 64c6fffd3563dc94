// Instruction sets the kernels have code paths for, and which of them the
// running processor supports. Cores take an Isa argument so that tests can run
// every path; plug-ins pass bestIsa().
#ifndef TOOLBOX_HOST_CPU_H
#define TOOLBOX_HOST_CPU_H

namespace cpu {

enum class Isa { scalar, avx2, avx512 };

#if (defined(__x86_64__) || defined(_M_X64)) && defined(__GNUC__)
#define TOOLBOX_X86_SIMD 1

inline bool supports(Isa isa) {
  switch (isa) {
    case Isa::scalar: return true;
    case Isa::avx2: return __builtin_cpu_supports("avx2");
    case Isa::avx512:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
             __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
  }
  return false;
}
#else
#define TOOLBOX_X86_SIMD 0
inline bool supports(Isa isa) { return isa == Isa::scalar; }
#endif

inline Isa bestIsa() {
  if (supports(Isa::avx512)) return Isa::avx512;
  if (supports(Isa::avx2)) return Isa::avx2;
  return Isa::scalar;
}

inline const char* name(Isa isa) {
  return isa == Isa::avx512 ? "avx512" : isa == Isa::avx2 ? "avx2" : "scalar";
}

}  // namespace cpu

#endif
