// A plain reference for the block grid, written entry by entry from the grid
// tables: each grid row (column) lists its filled block rows (columns) and the
// image row (column) each stands for, and the block index comes from the
// closed form
//   top band block above grid column g:    g
//   left band block beside grid row p:     p
//   main grid block at grid row p, col g:  bandCount + g*mainRows + p.
#ifndef TOOLBOX_TESTS_BLOCKS_REFERENCE_H
#define TOOLBOX_TESTS_BLOCKS_REFERENCE_H

#include <cstdint>
#include <vector>

namespace reference {

struct GridInput {
  std::int64_t n1, n2, N1, N2, rowSt, colSt;
};

// Position `row` of block column `block` is paired with image entry (i, j).
struct Pair {
  std::int64_t block, row, i, j;
};

struct Pairing {
  std::int64_t blockLen = 0, blockCount = 0;
  std::vector<Pair> pairs;
};

// Filled block rows first..last of a grid row stand for image rows a + shift.
struct Line {
  std::int64_t first, last, shift;
};

inline Pairing pairing(const GridInput& g) {
  Pairing out;
  const std::int64_t fullRows = (g.N1 - g.rowSt + 1) / g.n1;
  const std::int64_t remRows = (g.N1 - g.rowSt + 1) - fullRows * g.n1;
  const std::int64_t fullCols = (g.N2 - g.colSt + 1) / g.n2;
  const std::int64_t remCols = (g.N2 - g.colSt + 1) - fullCols * g.n2;

  std::vector<Line> rows, cols;  // the main grid's rows and columns
  for (std::int64_t r = 0; r < fullRows; ++r) rows.push_back({0, g.n1 - 1, g.rowSt - 1 + r * g.n1});
  if (remRows > 0) rows.push_back({g.n1 - remRows, g.n1 - 1, g.N1 - g.n1});
  for (std::int64_t c = 0; c < fullCols; ++c) cols.push_back({0, g.n2 - 1, g.colSt - 1 + c * g.n2});
  if (remCols > 0) cols.push_back({g.n2 - remCols, g.n2 - 1, g.N2 - g.n2});
  const Line topBand{0, g.rowSt - 2, 0}, leftBand{0, g.colSt - 2, 0};
  const auto mainRows = static_cast<std::int64_t>(rows.size());
  const auto mainCols = static_cast<std::int64_t>(cols.size());

  const std::int64_t bandCount = g.rowSt > 1 ? mainCols : g.colSt > 1 ? mainRows : 0;
  out.blockLen = g.n1 * g.n2;
  out.blockCount = bandCount + mainRows * mainCols;

  auto add = [&](std::int64_t block, const Line& row, const Line& col) {
    for (std::int64_t b = col.first; b <= col.last; ++b)
      for (std::int64_t a = row.first; a <= row.last; ++a)
        out.pairs.push_back({block, a + b * g.n1, a + row.shift, b + col.shift});
  };
  if (g.rowSt > 1)
    for (std::int64_t c = 0; c < mainCols; ++c) add(c, topBand, cols[c]);
  if (g.colSt > 1)
    for (std::int64_t r = 0; r < mainRows; ++r) add(r, rows[r], leftBand);
  for (std::int64_t c = 0; c < mainCols; ++c)
    for (std::int64_t r = 0; r < mainRows; ++r) add(bandCount + c * mainRows + r, rows[r], cols[c]);
  return out;
}

inline std::vector<double> imgToBlocks(const std::vector<double>& Y, const GridInput& g) {
  const Pairing p = pairing(g);
  std::vector<double> X(static_cast<std::size_t>(p.blockLen * p.blockCount), 0.0);
  for (const Pair& q : p.pairs) X[q.row + q.block * p.blockLen] = Y[q.i + q.j * g.N1];
  return X;
}

inline std::vector<double> blocksToImg(const std::vector<double>& X, const GridInput& g) {
  const Pairing p = pairing(g);
  std::vector<double> Y(static_cast<std::size_t>(g.N1 * g.N2), 0.0);
  for (const Pair& q : p.pairs) Y[q.i + q.j * g.N1] = X[q.row + q.block * p.blockLen];
  return Y;
}

}  // namespace reference

#endif
