// The matrix A of the Walsh plug-ins' fuzz targets, and the length L of its
// spectra.
#ifndef TOOLBOX_FUZZ_WALSH_INPUTS_H
#define TOOLBOX_FUZZ_WALSH_INPUTS_H

#include "harness.h"

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

}  // namespace fuzz

#endif
