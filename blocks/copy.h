// The two block copies over raw column-major buffers. For a grid g, entry
// (a, b) of block k lies at X[a + b*n1 + k*blockLen] and image entry (i, j) at
// Y[i + j*N1]; the grid pairs them (blocks/grid.h).
//
// Values are converted to double as they are read; double values move
// unchanged, bit for bit.
#ifndef TOOLBOX_BLOCKS_COPY_H
#define TOOLBOX_BLOCKS_COPY_H

#include <cstddef>
#include <cstdint>

#include "blocks/grid.h"
#include "simd/cpu.h"
#include "simd/elements.h"

namespace blocks {

// X (blockLen by blockCount, created zeroed) receives every paired image entry
// of Y (at least N1*N2 elements). Unpaired positions of X are not touched.
template <class T>
void imgToBlocks(const T* Y, double* X, const Grid& g);

// Y (N1 by N2) receives, for every image entry, the position of X (blockLen by
// blockCount) paired with it. Unpaired positions of X are not read.
template <class T>
void blocksToImg(const T* X, double* Y, const Grid& g);

// The same for the blocks of main grid columns c0 .. c1 - 1 only (0 <= c0 <=
// c1 <= mainCols), the top band blocks above them included, and the left band
// when c0 is 0 (see forEachBlockOrRun). Calls on ranges that do not overlap
// write disjoint parts of the output, so they may run at the same time; ranges
// covering 0 .. mainCols together make the whole copy, with the stores the
// whole call would use.
template <class T>
void imgToBlocks(const T* Y, double* X, const Grid& g, std::int32_t c0, std::int32_t c1);
template <class T>
void blocksToImg(const T* X, double* Y, const Grid& g, std::int32_t c0, std::int32_t c1);

#define TOOLBOX_BLOCKS_DECLARE(T, tag)                                                         \
  extern template void imgToBlocks<T>(const T*, double*, const Grid&);                    \
  extern template void blocksToImg<T>(const T*, double*, const Grid&);                    \
  extern template void imgToBlocks<T>(const T*, double*, const Grid&, std::int32_t, std::int32_t); \
  extern template void blocksToImg<T>(const T*, double*, const Grid&, std::int32_t, std::int32_t);
TOOLBOX_FOR_EACH_ELEMENT_TYPE(TOOLBOX_BLOCKS_DECLARE)
#undef TOOLBOX_BLOCKS_DECLARE

// How the fast paths write their output: through the caches, or with
// non-temporal stores that bypass them (worth it only when the output is far
// larger than the caches). `automatic` decides by processor, output size and
// block shape (see streamsOutput).
enum class Stores { automatic, cached, streamed };

// The processor facts the automatic store decision takes, from cpuid: the
// maker (leaf 0) and the family (leaf 1, with the extended family added to a
// base family of 15).
struct Processor {
  enum class Maker { intel, amd, hygon, other } maker;
  int family;
};

// The facts for the vendor string (cpuid leaf 0: ebx, edx, ecx, in that
// order) and leaf 1's eax.
Processor processorFrom(const char vendor[12], unsigned leaf1Eax);

// Whether `automatic` streams an output of `bytes` bytes, in either direction.
// wholeVectors: every run the vector paths copy is a whole number of vectors
// on every instruction set, so that no stream needs a staging buffer.
bool streamsOutput(const Processor& cpu, std::size_t bytes, bool wholeVectors);

// The double-precision copies on a chosen code path; the templates above use
// the best path of the running processor with automatic stores.
void imgToBlocks(const double* Y, double* X, const Grid& g, cpu::Isa isa, Stores stores);
void blocksToImg(const double* X, double* Y, const Grid& g, cpu::Isa isa, Stores stores);

}  // namespace blocks

#endif
