// Fuzz target: Y = blocksToImg(X, n1, n2, N1, N2, rowSt, colSt) through the
// test host, against the plain block reference (see harness.h).
#include "blocks_model.h"

using namespace fuzz;

namespace {

const char kFn[] = "blocksToImg";
constexpr std::size_t kMaxData = 4096;

// X: blockLen-by-blockCount when the grid is sound, else one column or one
// row off, flat, any small shape, a huge array without data, or a column
// count that is right only in its low 32 bits.
Arg blockMatrix(Provider& in, const blocks::Grid& grid, bool known) {
  const std::size_t len = known ? static_cast<std::size_t>(grid.blockLen) : 6;
  const std::size_t count = known ? static_cast<std::size_t>(grid.blockCount) : 9;
  std::size_t m = len, n = count;
  switch (pick(in, 0, 0, 6)) {
    case 1: n = count + 1 - in.ConsumeIntegralInRange<std::size_t>(0, count > 0 ? 2 : 1); break;
    case 2: m = len + 1 - in.ConsumeIntegralInRange<std::size_t>(0, len > 0 ? 2 : 1); break;
    case 3: smallShape(in, m, n, 12); break;
    case 4: m = 1; n = len * count; break;
    case 5: return hugeArray(in);
    case 6: return dataless(len, count + (std::size_t{1} << 32));
    default: break;
  }
  return dataUpTo(in, m, n, kMaxData);
}

struct Target : blocks::GridTarget<Target> {
  static constexpr const char* kName = kFn;

  Arg drawData(Provider& in) {
    if (p.ok) grid = blocks::checkGrid(kFn, p.g);
    return blockMatrix(in, grid, p.ok && grid.errors.empty());
  }

  Outcomes predict(const Call& c) const {
    Outcomes e = firstChecks(c, kFn, "Usage: Y = blocksToImage (X,n1,n2,N1,N2,rowSt,colSt)");
    if (!rightCounts(c) || !p.ok) return e;
    e.insert(grid.errors.begin(), grid.errors.end());
    const Arg& X = c.args[0];
    if (grid.errors.empty()) {
      if (X.n != static_cast<std::size_t>(grid.blockCount))
        e.insert("The input matrix X has not enough columns");
      else if (grid.blockCount > 0 && X.m != static_cast<std::size_t>(grid.blockLen))
        e.insert("blocksToImg:badRowCount");
    }
    return e;
  }

  bool tooLarge(const Call&) const { return grid.imageSize > std::int64_t{kMaxElements}; }

  // An empty image may still span 2^31 rows or columns, too many for the
  // reference's lists; there is nothing to compare then.
  Result reference(const Call& c) const {
    return {static_cast<std::size_t>(p.g.N1), static_cast<std::size_t>(p.g.N2),
            grid.imageSize == 0 ? std::vector<double>() : reference::blocksToImg(c.args[0].values, p.g)};
  }
};

}  // namespace

TOOLBOX_FUZZ_TARGET(Target)
