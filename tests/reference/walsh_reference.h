// A plain reference for the sequency-ordered Walsh–Hadamard spectrum, written
// step by step: load and extend a column, the pair stage in place, the merge
// stages from one buffer into the other, then the division by L. Header-only
// so that fuzzers and benchmarks can reuse it; the raw-buffer form lets a
// benchmark time the transform alone.
#ifndef TOOLBOX_TESTS_WALSH_REFERENCE_H
#define TOOLBOX_TESTS_WALSH_REFERENCE_H

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <vector>

namespace reference {

// The smallest k >= 0 with 2^k >= M.
inline int walshStages(std::int64_t M) {
  int k = 0;
  while ((std::int64_t{1} << k) < M) ++k;
  return k;
}

// The pair stage's second output: sum - 2b, or, where 2b would overflow, the
// same value rounded as 2*(0.5*sum - b).
inline double walshPairDifference(double sum, double b) {
  return std::fabs(b) > DBL_MAX / 2 ? 2.0 * (0.5 * sum - b) : sum - 2.0 * b;
}

// W (L by N, column order) for A (M by N, column order), through the two
// buffers of L entries each. Returns which buffer (0: buffer0) holds the
// current role at the end.
inline int seqSpectrum(const double* A, std::int64_t M, std::int64_t N, double* W, double* buffer0,
                       double* buffer1) {
  const int k = walshStages(M);
  const std::int64_t L = std::int64_t{1} << k;
  double* buffer[2] = {buffer0, buffer1};
  int current = 0;
  for (std::int64_t c = 0; c < N; ++c) {
    double* v = buffer[current];
    for (std::int64_t i = 0; i < M; ++i) v[i] = A[c * M + i];
    for (std::int64_t i = M; i < L; ++i) v[i] = 0.0;

    for (std::int64_t j = 0; j < L - 1; j += 2) {
      const double a = v[j], b = v[j + 1];
      const double sum = a + b;
      v[j] = sum;
      v[j + 1] = walshPairDifference(sum, b);
    }

    for (int s = 1; s <= k - 1; ++s) {
      const std::int64_t h = std::int64_t{1} << s;
      const double* cur = buffer[current];
      double* next = buffer[1 - current];
      for (std::int64_t g = 0; g < L / (2 * h); ++g) {
        const std::int64_t base = 2 * h * g;
        for (std::int64_t i = 0; i < h / 2; ++i) {
          const double x0 = cur[base + 2 * i], x1 = cur[base + 2 * i + 1];
          const double y0 = cur[base + h + 2 * i], y1 = cur[base + h + 2 * i + 1];
          next[base + 4 * i] = x0 + y0;
          next[base + 4 * i + 1] = x0 - y0;
          next[base + 4 * i + 2] = x1 - y1;
          next[base + 4 * i + 3] = x1 + y1;
        }
      }
      current = 1 - current;
    }

    for (std::int64_t r = 0; r < L; ++r) W[c * L + r] = buffer[current][r] / static_cast<double>(L);
  }
  return current;
}

// The same into a new vector. `finalBuffer`, if given, receives which of the
// two buffers (0: the one that started as the current buffer) holds the
// current role at the end.
inline std::vector<double> seqSpectrum(const std::vector<double>& A, std::int64_t M, std::int64_t N,
                                       int* finalBuffer = nullptr) {
  const std::int64_t L = std::int64_t{1} << walshStages(M);
  std::vector<double> W(static_cast<std::size_t>(L * N));
  std::vector<double> buffer0(static_cast<std::size_t>(L)), buffer1(static_cast<std::size_t>(L));
  const int current = seqSpectrum(A.data(), M, N, W.data(), buffer0.data(), buffer1.data());
  if (finalBuffer) *finalBuffer = current;
  return W;
}

}  // namespace reference

#endif
