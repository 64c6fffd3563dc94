// The vector transforms, one set per instruction set. Each computes exactly
// what transformColumns computes, bit for bit, for double input with
// L = 2^k >= the vector width; the output W serves as working memory.
//
// These translation units include no header with inline code, so the code
// compiled for one instruction set can never stand in for another's.
#ifndef TOOLBOX_WALSH_KERNELS_H
#define TOOLBOX_WALSH_KERNELS_H

#include <cstdint>

namespace walsh::kernels {

// W (L by N) from A (M by N), L = 2^k, k = stageCount(M). Returns false, having
// touched nothing, when L is below the vector width.
using ColumnsFn = bool (*)(const double* A, std::int32_t M, std::int32_t N, double* W, int k);

namespace avx2 { bool columns(const double*, std::int32_t, std::int32_t, double*, int); }
namespace avx512 { bool columns(const double*, std::int32_t, std::int32_t, double*, int); }

}  // namespace walsh::kernels

#endif
