// The vector transforms, one set per instruction set. Each computes exactly
// what transformColumns computes, bit for bit, for double input with
// L = 2^k >= the vector width; the scratch buffers and the output W serve as
// working memory.
//
// These translation units include no header with inline code, so the code
// compiled for one instruction set can never stand in for another's.
#ifndef TOOLBOX_WALSH_KERNELS_H
#define TOOLBOX_WALSH_KERNELS_H

#include <cstdint>

#include "simd/isa.h"

namespace walsh::kernels {

// W (L by N) from A (M by N), L = 2^k, k = stageCount(M), with the two
// scratch buffers (L doubles each) as working memory. Returns false, having
// touched nothing, when L is below the vector width.
using ColumnsFn = bool (*)(const double* A, std::int32_t M, std::int32_t N, double* W, int k,
                           double* scratch0, double* scratch1);

// Each vector set's entry point, defined in the file compiled for it. The
// portable path is the step-by-step transform itself (walsh/transform.cpp),
// which serves every element type.
ColumnsFn entries(cpu::IsaTag<cpu::Isa::avx2>);
ColumnsFn entries(cpu::IsaTag<cpu::Isa::avx512>);
ColumnsFn entries(cpu::IsaTag<cpu::Isa::neon>);

}  // namespace walsh::kernels

#endif
