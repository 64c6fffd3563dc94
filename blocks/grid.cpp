#include "blocks/grid.h"

#include <algorithm>
#include <cstddef>

namespace blocks {

namespace {
constexpr std::int64_t kIndexLimit = std::int64_t{1} << 31;
}

GridError checkGrid(const GridParams& p) {
  if (p.rowSt >= p.n1 || p.colSt >= p.n2 || (p.rowSt > 1 && p.colSt > 1) || p.rowSt < 1 ||
      p.colSt < 1)
    return GridError::startPoint;
  // From here on n1 >= 2 and n2 >= 2.
  if (p.N1 < 0 || p.N2 < 0) return GridError::negativeSize;
  if (p.N1 < p.rowSt - 1 || p.N2 < p.colSt - 1) return GridError::imageTooSmall;

  const std::int64_t blockLen = std::int64_t{p.n1} * p.n2;
  if (std::int64_t{p.N1} * p.N2 >= kIndexLimit || blockLen >= kIndexLimit)
    return GridError::tooLarge;
  // Counts as in makeGrid, in 64 bits: blockCount stays below 2^33 here.
  const std::int64_t rows = p.N1 - p.rowSt + 1, cols = p.N2 - p.colSt + 1;
  const std::int64_t mainRows = rows / p.n1 + (rows % p.n1 > 0);
  const std::int64_t mainCols = cols / p.n2 + (cols % p.n2 > 0);
  const std::int64_t blockCount = mainRows * mainCols + (p.rowSt > 1 ? mainCols : 0) +
                                  (p.colSt > 1 ? mainRows : 0);
  if (blockLen * blockCount >= kIndexLimit) return GridError::tooLarge;
  return GridError::none;
}

Grid makeGrid(const GridParams& p) {
  Grid g{};
  g.p = p;
  const std::int32_t rows = p.N1 - p.rowSt + 1, cols = p.N2 - p.colSt + 1;
  g.fullRows = rows / p.n1;
  g.remRows = rows - g.fullRows * p.n1;
  g.fullCols = cols / p.n2;
  g.remCols = cols - g.fullCols * p.n2;
  g.mainRows = g.fullRows + (g.remRows > 0);
  g.mainCols = g.fullCols + (g.remCols > 0);
  g.blockLen = p.n1 * p.n2;
  g.blockCount = g.mainRows * g.mainCols + (g.hasTopBand() ? g.mainCols : 0) +
                 (g.hasLeftBand() ? g.mainRows : 0);
  return g;
}

void zeroUnpaired(double* X, const Grid& g, std::int32_t c0, std::int32_t c1) {
  const std::int32_t n1 = g.p.n1, n2 = g.p.n2;
  // Full blocks come as runs, which hold no unpaired position.
  forEachBlockOrRun(
      g, c0, c1,
      [&](std::int32_t k, const Strip& rows, const Strip& cols) {
        double* block = X + static_cast<std::ptrdiff_t>(k) * g.blockLen;
        for (std::int32_t b = 0; b < n2; ++b) {
          double* col = block + static_cast<std::ptrdiff_t>(b) * n1;
          if (b < cols.first || b >= cols.first + cols.count) {
            std::fill(col, col + n1, 0.0);
          } else {
            std::fill(col, col + rows.first, 0.0);
            std::fill(col + rows.first + rows.count, col + n1, 0.0);
          }
        }
      },
      [](std::int32_t, std::int32_t) {});
}

}  // namespace blocks
