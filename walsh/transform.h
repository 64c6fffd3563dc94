// The sequency-ordered Walsh–Hadamard transform over raw column-major buffers.
//
// A column of M values is extended with zeros to L = 2^k >= M entries and
// transformed by k stages: a pair stage in place, then k - 1 merge stages that
// alternate between two scratch buffers. The result, divided by L, is
//   w[r] = (1/L) * sum_i H[r][i] * x[i],
// with H[r] the Walsh function with exactly r sign changes. Every value is
// fixed to the bit by the operations and their order (see transform.cpp).
//
// Values are converted to double as they are loaded; double values load
// unchanged, bit for bit.
#ifndef TOOLBOX_WALSH_TRANSFORM_H
#define TOOLBOX_WALSH_TRANSFORM_H

#include <cstdint>

#include "simd/cpu.h"
#include "simd/elements.h"

namespace walsh {

// The largest row count whose padded length is a positive 32-bit integer.
constexpr std::int32_t kMaxRows = std::int32_t{1} << 30;

// k, the smallest k >= 0 with 2^k >= M, for 0 <= M <= kMaxRows. M = 0 and M = 1
// both give 0.
std::int32_t stageCount(std::int32_t M);

// L = 2^stageCount(M): the rows of the result.
inline std::int32_t paddedLength(std::int32_t M) { return std::int32_t{1} << stageCount(M); }

// Two buffers of L doubles each. `current` holds a column from loading to its
// result; a merge stage writes `next`, after which the two swap. The roles carry
// over from one column to the next, so after a call `current` is the buffer
// that held the last result. Their contents on entry do not matter.
struct Scratch {
  double* current;
  double* next;
};

// W (L by N) receives the spectra of the N columns of A (M by N), column by
// column in increasing order, all through the same two buffers. Requires
// M <= kMaxRows and L*N < 2^31. Double input takes the best code path of the
// running processor.
template <class T>
void transformColumns(const T* A, std::int32_t M, std::int32_t N, double* W, Scratch& scratch);

// The same on a chosen code path (one the processor supports). The vector
// paths compute the same bits with W and the buffers as working memory, and
// hand over the buffers' roles exactly as the step-by-step transform does.
void transformColumns(const double* A, std::int32_t M, std::int32_t N, double* W, Scratch& scratch,
                      cpu::Isa isa);

// Row orders of the result. Sequency row r (r sign changes) is row gray(r)
// of the dyadic (Paley) order and row rev_k(gray(r)) of the Hadamard
// (natural) order, gray(r) = r XOR (r >> 1): the same values, permuted.
enum class Ordering : std::int32_t { sequency = 0, hadamard = 1, dyadic = 2 };

// transformColumns with the rows of every column in the given order (see
// walsh/ordering.cpp). Columns are transformed a few at a time and reordered
// while in cache, through scratch.current; sequency order is
// transformColumns itself.
template <class T>
void orderedColumns(const T* A, std::int32_t M, std::int32_t N, double* W, Scratch& scratch,
                    Ordering ordering);

#define TOOLBOX_WALSH_DECLARE(T, tag)\
  extern template void transformColumns<T>(const T*, std::int32_t, std::int32_t, double*, Scratch&);\
  extern template void orderedColumns<T>(const T*, std::int32_t, std::int32_t, double*, Scratch&, Ordering);
TOOLBOX_FOR_EACH_ELEMENT_TYPE(TOOLBOX_WALSH_DECLARE)
#undef TOOLBOX_WALSH_DECLARE

}  // namespace walsh

#endif
