// The six grid parameters shared by imgToBlocks and blocksToImg: how the
// fuzz targets draw them, which errors a grid may end a call with, and what
// else the two targets share.
#ifndef TOOLBOX_FUZZ_BLOCKS_MODEL_H
#define TOOLBOX_FUZZ_BLOCKS_MODEL_H

#include <string>

#include "harness.h"
#include "reference/blocks_reference.h"

namespace fuzz::blocks {

// n1, n2, N1, N2, rowSt, colSt as arguments 1 to 6; without bytes the top band
// example (3, 2, 6, 5, 2, 1).
inline void addParams(Provider& in, Call& c) {
  c.args.push_back(param(in, 3, -1, 17));  // up to 16 rows: the copies have paths for 2, 4, 8, 16
  c.args.push_back(param(in, 2, -1, 17));
  c.args.push_back(param(in, 6, -2, 48));
  c.args.push_back(param(in, 5, -2, 48));
  c.args.push_back(param(in, 2, -1, 9));
  c.args.push_back(param(in, 1, -1, 9));
}

struct Params {
  bool ok = false;  // all six read as integers
  reference::GridInput g{};
};

inline Params readParams(const Call& c) {
  Params p;
  std::int64_t v[6];
  for (int k = 0; k < 6; ++k) {
    const Param q = readParam(c.args.at(1 + k));
    if (!q.ok) return p;
    v[k] = q.v;
  }
  p.ok = true;
  p.g = {v[0], v[1], v[2], v[3], v[4], v[5]};
  return p;
}

struct Grid {
  Outcomes errors;  // empty for a sound grid
  std::int64_t blockLen = 0, blockCount = 0, imageSize = 0;
};

// The start-point rule (start coordinates below 1 fail it too), then the
// limits within which every element index fits in 32 bits.
inline Grid checkGrid(const std::string& fn, const reference::GridInput& g) {
  Grid out;
  if (g.rowSt >= g.n1 || g.colSt >= g.n2 || (g.rowSt > 1 && g.colSt > 1) || g.rowSt < 1 ||
      g.colSt < 1) {
    out.errors.insert("Start point is not correct");
    return out;
  }
  if (g.N1 < 0 || g.N2 < 0) out.errors.insert(fn + ":negativeSize");
  if (g.N1 < g.rowSt - 1 || g.N2 < g.colSt - 1) out.errors.insert(fn + ":imageTooSmall");
  if (!out.errors.empty()) return out;

  const std::int64_t rows = g.N1 - g.rowSt + 1, cols = g.N2 - g.colSt + 1;
  const std::int64_t mainRows = rows / g.n1 + (rows % g.n1 > 0);
  const std::int64_t mainCols = cols / g.n2 + (cols % g.n2 > 0);
  out.blockLen = g.n1 * g.n2;
  out.blockCount = mainRows * mainCols + (g.rowSt > 1 ? mainCols : 0) + (g.colSt > 1 ? mainRows : 0);
  out.imageSize = g.N1 * g.N2;
  const __int128 limit = __int128{1} << 31;
  if (out.imageSize >= limit || out.blockLen >= limit ||
      __int128{out.blockLen} * out.blockCount >= limit)
    out.errors.insert(fn + ":tooLarge");
  return out;
}

// What the two block targets share: seven inputs and one output, results
// that move bits, the parameters read once drawn, and the checks the gateways
// make before the grid's.
// T supplies drawData(in), the data argument drawn once the parameters are.
template <class T>
struct GridTarget {
  static constexpr int kInputs = 7;
  static constexpr bool kNoOutputOk = false;
  static constexpr Nan kNan = Nan::exact;
  Params p;
  Grid grid;

  // The six parameters (read at once), then the data argument before them.
  void draw(Provider& in, Call& c) {
    c.args.emplace_back();
    addParams(in, c);
    p = readParams(c);
    c.args[0] = static_cast<T*>(this)->drawData(in);
  }

  static bool rightCounts(const Call& c) { return c.args.size() == 7 && c.nlhs == 1; }

  // The usage message for wrong counts alone; else the data argument's class
  // and the parameters.
  Outcomes firstChecks(const Call& c, const std::string& fn, const char* usage) const {
    if (!rightCounts(c)) return {usage};
    Outcomes e;
    const Arg& data = c.args[0];
    if (!data.numericOrLogical()) e.insert(fn + ":badInput");
    else if (data.sparse) e.insert(fn + ":sparseInput");
    if (!p.ok) e.insert(fn + ":badParameter");
    return e;
  }
};

}  // namespace fuzz::blocks

#endif
