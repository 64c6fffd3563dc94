#include "blocks/copy.h"

#include <cstddef>
#include <cstring>

namespace blocks {

namespace {

// Copies a run of n consecutive values, converting each to double.
template <class T>
inline void copyRun(const T* from, double* to, std::ptrdiff_t n) {
  for (std::ptrdiff_t i = 0; i < n; ++i) to[i] = static_cast<double>(from[i]);
}

inline void copyRun(const double* from, double* to, std::ptrdiff_t n) {
  if (n > 0) std::memcpy(to, from, static_cast<std::size_t>(n) * sizeof(double));
}

}  // namespace

// Within a block, the filled entries of column b are one run of rows.count
// consecutive elements in X, and their image entries one run in Y.
template <class T>
void imgToBlocks(const T* Y, double* X, const Grid& g) {
  const std::ptrdiff_t N1 = g.p.N1, n1 = g.p.n1, len = g.blockLen;
  forEachBlock(g, [&](std::int32_t k, Strip rows, Strip cols) {
    const T* from = Y + rows.origin + cols.origin * N1;
    double* to = X + k * len + rows.first + cols.first * n1;
    for (std::int32_t b = 0; b < cols.count; ++b) copyRun(from + b * N1, to + b * n1, rows.count);
  });
}

template <class T>
void blocksToImg(const T* X, double* Y, const Grid& g) {
  const std::ptrdiff_t N1 = g.p.N1, n1 = g.p.n1, len = g.blockLen;
  forEachBlock(g, [&](std::int32_t k, Strip rows, Strip cols) {
    const T* from = X + k * len + rows.first + cols.first * n1;
    double* to = Y + rows.origin + cols.origin * N1;
    for (std::int32_t b = 0; b < cols.count; ++b) copyRun(from + b * n1, to + b * N1, rows.count);
  });
}

#define TOOLBOX_BLOCKS_DEFINE(T)                                  \
  template void imgToBlocks<T>(const T*, double*, const Grid&); \
  template void blocksToImg<T>(const T*, double*, const Grid&);
TOOLBOX_FOR_EACH_ELEMENT_TYPE(TOOLBOX_BLOCKS_DEFINE)
#undef TOOLBOX_BLOCKS_DEFINE

}  // namespace blocks
