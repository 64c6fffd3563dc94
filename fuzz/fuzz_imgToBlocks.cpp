// Fuzz target: X = imgToBlocks(Y, n1, n2, N1, N2, rowSt, colSt) through the
// test host, against the plain block reference (see harness.h).
#include "blocks_model.h"

using namespace fuzz;

namespace {

const char kFn[] = "imgToBlocks";
constexpr std::size_t kMaxData = 4096;

// Y: N1-by-N2 when the parameters say so, else as a row, a longer column, a
// column too short, any small shape, or a huge array without data.
Arg image(Provider& in, const blocks::Params& p) {
  const bool known = p.ok && p.g.N1 >= 0 && p.g.N2 >= 0;
  const std::size_t N1 = known ? static_cast<std::size_t>(p.g.N1) : 3;
  const std::size_t N2 = known ? static_cast<std::size_t>(p.g.N2) : 3;
  const std::size_t need = N1 * N2;
  const int shape = pick(in, 0, 0, 5);
  std::size_t m = N1, n = N2;
  switch (shape) {
    case 1: m = 1; n = need; break;
    case 2: m = need + in.ConsumeIntegralInRange<std::size_t>(0, 3); n = 1; break;
    case 3: smallShape(in, m, n, 12); break;
    case 4: m = fewer(in, need); n = 1; break;
    case 5: return hugeArray(in);
    default: break;
  }
  return dataUpTo(in, m, n, kMaxData);
}

struct Target : blocks::GridTarget<Target> {
  static constexpr const char* kName = kFn;

  Arg drawData(Provider& in) const { return image(in, p); }

  Outcomes predict(const Call& c) {
    Outcomes e = firstChecks(c, kFn, "Usage: X = imgToBlocks (Y,n1,n2,N1,N2,rowSt,colSt)");
    if (!rightCounts(c) || !p.ok) return e;
    grid = blocks::checkGrid(kFn, p.g);
    e.insert(grid.errors.begin(), grid.errors.end());
    if (grid.errors.empty() && c.args[0].numel() < static_cast<std::size_t>(grid.imageSize))
      e.insert("imgToBlocks:tooFewElements");
    return e;
  }

  bool tooLarge(const Call&) const { return grid.blockLen * grid.blockCount > std::int64_t{kMaxElements}; }

  // With no blocks the grid may still span 2^31 rows or columns, too many
  // for the reference's lists; there is nothing to compare then.
  Result reference(const Call& c) const {
    return {static_cast<std::size_t>(grid.blockLen), static_cast<std::size_t>(grid.blockCount),
            grid.blockCount == 0 ? std::vector<double>() : reference::imgToBlocks(c.args[0].values, p.g)};
  }
};

}  // namespace

TOOLBOX_FUZZ_TARGET(Target)
