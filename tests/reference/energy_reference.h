// A plain reference for the cyclic shift energies: the triple loop written
// out, column shift i outermost, row shift j, then the positions k in order,
//   ell[j + m*i] = ell[j + m*i] + (rM[e]*rM[e] + iM[e]*iM[e]),
//   e = (m + j - r) % m + m*((n + i - q) % n),  b = trunc(p[k]) - 1, r = b % m, q = b / m.
// Header-only, so fuzzers can reuse it.
#ifndef TOOLBOX_TESTS_ENERGY_REFERENCE_H
#define TOOLBOX_TESTS_ENERGY_REFERENCE_H

#include <cstdint>
#include <vector>

namespace reference {

inline void cyclicEnergy(const double* p, const double* rM, const double* iM, std::int64_t m,
                         std::int64_t n, std::int64_t np, double* ell) {
  for (std::int64_t o = 0; o < m * n; ++o) ell[o] = 0.0;
  for (std::int64_t i = 0; i < n; ++i) {
    for (std::int64_t j = 0; j < m; ++j) {
      const std::int64_t o = j + m * i;
      for (std::int64_t k = 0; k < np; ++k) {
        const std::int64_t b = static_cast<std::int64_t>(p[k]) - 1;
        const std::int64_t q = b / m;
        const std::int64_t r = b % m;
        const std::int64_t row = (m + j - r) % m;
        const std::int64_t col = (n + i - q) % n;
        const std::int64_t e = row + m * col;
        const double term = rM[e] * rM[e] + iM[e] * iM[e];
        ell[o] = ell[o] + term;
      }
    }
  }
}

inline std::vector<double> cyclicEnergy(const std::vector<double>& p, const std::vector<double>& rM,
                                        const std::vector<double>& iM, std::int64_t m,
                                        std::int64_t n, std::int64_t np) {
  std::vector<double> ell(m > 0 && n > 0 ? static_cast<std::size_t>(m * n) : 0);
  cyclicEnergy(p.data(), rM.data(), iM.data(), m, n, np, ell.data());
  return ell;
}

}  // namespace reference

#endif
