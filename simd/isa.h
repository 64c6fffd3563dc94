// The instruction sets the kernels have code paths for. Types and constants
// only, so that the files compiled for one instruction set can include it.
#ifndef TOOLBOX_SIMD_ISA_H
#define TOOLBOX_SIMD_ISA_H

#include <type_traits>

namespace cpu {

enum class Isa { scalar, avx2, avx512, neon };

// Every path, for tests and benchmarks that run each one the processor has.
constexpr Isa kIsas[] = {Isa::scalar, Isa::avx2, Isa::avx512, Isa::neon};

// A kernel's entry points for one instruction set are found by overloading on
// IsaTag: `Set entries(cpu::IsaTag<cpu::Isa::avx2>)` is defined in the file
// compiled for AVX2, and cpu::select (simd/cpu.h) picks one at run time.
template <Isa isa>
using IsaTag = std::integral_constant<Isa, isa>;

}  // namespace cpu

#endif
