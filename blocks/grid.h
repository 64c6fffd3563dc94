// The block grid shared by imgToBlocks and blocksToImg: which image entry each
// position of the block matrix stands for.
//
// An N1-by-N2 image is cut into n1-by-n2 blocks on a grid anchored at the
// 1-based start point (rowSt, colSt). Rows above the start point form a top
// band, columns left of it a left band (at most one of the two exists); rows
// and columns left over at the bottom and right form remainder blocks. A block
// that is not full is stored as though its n1-by-n2 frame stood flush against
// the image edge it touches. Block k is column k of the block matrix, with its
// entry (a, b) at row a + b*n1.
#ifndef TOOLBOX_BLOCKS_GRID_H
#define TOOLBOX_BLOCKS_GRID_H

#include <cstdint>

namespace blocks {

struct GridParams {
  std::int32_t n1, n2;        // block height and width
  std::int32_t N1, N2;        // image height (also its column stride) and width
  std::int32_t rowSt, colSt;  // start point, counted from 1
};

enum class GridError {
  none,
  startPoint,        // rowSt >= n1, colSt >= n2, both above 1, or either below 1
  negativeSize,      // N1 < 0 or N2 < 0
  imageTooSmall,     // the band does not fit: N1 < rowSt - 1 or N2 < colSt - 1
  tooLarge,          // N1*N2, n1*n2 or blockLen*blockCount reaches 2^31
};

// The start-point rule, then the limits within which every index of both
// matrices fits in 32 bits. Nothing else about a grid can be wrong.
GridError checkGrid(const GridParams& p);

// One grid row (or grid column): rows (columns) first .. first + count - 1 of
// each of its blocks are filled and stand for image rows (columns)
// origin .. origin + count - 1.
struct Strip {
  std::int32_t first, count, origin;
};

struct Grid {
  GridParams p;
  std::int32_t fullRows, remRows;    // full grid rows below the start row; rows left over
  std::int32_t fullCols, remCols;    // likewise for columns
  std::int32_t mainRows, mainCols;   // grid rows and columns of the main grid
  std::int32_t blockLen;             // n1*n2: rows of the block matrix
  std::int32_t blockCount;           // columns of the block matrix

  bool hasTopBand() const { return p.rowSt > 1; }
  bool hasLeftBand() const { return p.colSt > 1; }
  Strip topBand() const { return {0, p.rowSt - 1, 0}; }
  Strip leftBand() const { return {0, p.colSt - 1, 0}; }
  // Grid row r of the main grid, counted from the start row down: a full grid
  // row, or the remainder grid row flush against the bottom edge.
  Strip mainRow(std::int32_t r) const {
    return r < fullRows ? Strip{0, p.n1, p.rowSt - 1 + r * p.n1}
                        : Strip{p.n1 - remRows, remRows, p.N1 - remRows};
  }
  Strip mainCol(std::int32_t c) const {
    return c < fullCols ? Strip{0, p.n2, p.colSt - 1 + c * p.n2}
                        : Strip{p.n2 - remCols, remCols, p.N2 - remCols};
  }
  // Blocks of the band, which come first in block order: the top band block
  // above grid column c is block c, the left band block beside grid row r is
  // block r.
  std::int32_t bandCount() const {
    return hasTopBand() ? mainCols : hasLeftBand() ? mainRows : 0;
  }
  // The block at grid row r and grid column c of the main grid.
  std::int32_t mainBlock(std::int32_t r, std::int32_t c) const {
    return bandCount() + c * mainRows + r;
  }
};

// The derived counts; p must pass checkGrid.
Grid makeGrid(const GridParams& p);

// Walks the blocks k = 0 .. blockCount - 1 in block order: the top band from
// left to right, or the left band from top to bottom; then the main grid, grid
// column by grid column from left to right, each from top to bottom. Calls
// visit(k, rows, cols) for each block, except that the full blocks of a full
// grid column go to fullRun(k, c) as one run: blocks k .. k + fullRows - 1,
// grid rows 0 .. fullRows - 1 of grid column c.
//
// With c0, c1: only the blocks of main grid columns c0 .. c1 - 1, the top band
// blocks above them included, and the left band blocks when c0 is 0. Ranges
// that do not overlap visit disjoint blocks, whose image entries lie in
// disjoint image columns; ranges covering 0 .. mainCols visit every block.
template <class Visit, class FullRun>
void forEachBlockOrRun(const Grid& g, std::int32_t c0, std::int32_t c1, Visit&& visit,
                       FullRun&& fullRun) {
  // No block: the grid may still have up to 2^30 empty grid columns (N1 = 0).
  if (g.blockCount == 0) return;
  if (g.hasTopBand())
    for (std::int32_t c = c0; c < c1; ++c) visit(c, g.topBand(), g.mainCol(c));
  if (g.hasLeftBand() && c0 == 0)
    for (std::int32_t r = 0; r < g.mainRows; ++r) visit(r, g.mainRow(r), g.leftBand());
  for (std::int32_t c = c0; c < c1; ++c) {
    std::int32_t k = g.mainBlock(0, c), r = 0;
    if (c < g.fullCols && g.fullRows > 0) {
      fullRun(k, c);
      k += g.fullRows;
      r = g.fullRows;
    }
    for (; r < g.mainRows; ++r) visit(k++, g.mainRow(r), g.mainCol(c));
  }
}

template <class Visit, class FullRun>
void forEachBlockOrRun(const Grid& g, Visit&& visit, FullRun&& fullRun) {
  forEachBlockOrRun(g, 0, g.mainCols, visit, fullRun);
}

// Calls visit(k, rows, cols) for every block in block order (with c0, c1: for
// the blocks of those grid columns, as above).
template <class Visit>
void forEachBlock(const Grid& g, std::int32_t c0, std::int32_t c1, Visit&& visit) {
  forEachBlockOrRun(g, c0, c1, visit, [&](std::int32_t k, std::int32_t c) {
    for (std::int32_t r = 0; r < g.fullRows; ++r) visit(k + r, g.mainRow(r), g.mainCol(c));
  });
}

template <class Visit>
void forEachBlock(const Grid& g, Visit&& visit) {
  forEachBlock(g, 0, g.mainCols, visit);
}

// Zeroes the positions of X (blockLen by blockCount) that no image entry is
// paired with, the frame of every block that is not full, and nothing else:
// with the copy of imgToBlocks, which writes every paired position, X is then
// written whole. With c0, c1: only in the blocks of those grid columns, as
// forEachBlockOrRun counts them.
void zeroUnpaired(double* X, const Grid& g, std::int32_t c0, std::int32_t c1);
inline void zeroUnpaired(double* X, const Grid& g) { zeroUnpaired(X, g, 0, g.mainCols); }

}  // namespace blocks

#endif
