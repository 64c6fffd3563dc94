// The matrix A of the Walsh plug-ins' fuzz targets, the length L of its
// spectra and their reference.
#ifndef TOOLBOX_FUZZ_WALSH_INPUTS_H
#define TOOLBOX_FUZZ_WALSH_INPUTS_H

#include "harness.h"
#include "reference/walsh_reference.h"

namespace fuzz {

// A: mostly a few short columns; sometimes long ones (the transform's wider
// stages), and sometimes huge without data, around the size limits.
inline Arg walshInput(Provider& in) {
  switch (pick(in, 0, 0, 5)) {
    case 4: {
      const std::size_t M = in.ConsumeIntegralInRange<std::size_t>(0, 1100);
      return data(in, M, in.ConsumeIntegralInRange<std::size_t>(0, 3), -1000, 1000);
    }
    case 5: return hugeArray(in);
    default: {
      std::size_t M = in.ConsumeIntegralInRange<std::size_t>(0, 40);
      std::size_t N = in.ConsumeIntegralInRange<std::size_t>(0, 6);
      if (M == 0 && N == 0) M = 3, N = 1;  // the usual call without bytes: one short column
      return data(in, M, N, -1000, 1000);
    }
  }
}

inline std::int64_t paddedLength(std::size_t M) {
  std::int64_t L = 1;
  while (static_cast<std::size_t>(L) < M) L *= 2;
  return L;
}

// The size limits of the Walsh plug-ins: M above 2^30, or L*N of 2^31 or more.
inline bool beyondLimits(const Arg& A) {
  const std::int64_t limit = std::int64_t{1} << 31;
  return A.m > (std::size_t{1} << 30) || A.n >= static_cast<std::size_t>(limit) ||
         paddedLength(A.m) * static_cast<std::int64_t>(A.n) >= limit;
}

// The first argument (an empty one where the call has none) and the size of
// its spectra, L-by-N.
inline const Arg& matrixArg(const Call& c) {
  static const Arg none;
  return c.args.empty() ? none : c.args[0];
}

inline bool spectrumTooLarge(const Call& c) {
  const Arg& A = matrixArg(c);
  return paddedLength(A.m) * static_cast<std::int64_t>(A.n) > std::int64_t{kMaxElements};
}

// The plain reference's sequency-ordered spectrum of the first argument.
inline Result sequencySpectrum(const Call& c) {
  const Arg& A = matrixArg(c);
  return {static_cast<std::size_t>(paddedLength(A.m)), A.n,
          reference::seqSpectrum(A.values, static_cast<std::int64_t>(A.m),
                                 static_cast<std::int64_t>(A.n))};
}

}  // namespace fuzz

#endif
