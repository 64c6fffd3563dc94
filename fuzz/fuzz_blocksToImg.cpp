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
    case 3:
      m = in.ConsumeIntegralInRange<std::size_t>(0, 12);
      n = in.ConsumeIntegralInRange<std::size_t>(0, 12);
      break;
    case 4: m = 1; n = len * count; break;
    case 5: return hugeArray(in);
    case 6: return dataless(len, count + (std::size_t{1} << 32));
    default: break;
  }
  if (m * n > kMaxData) return dataless(m, n);
  return data(in, m, n, -100, 100);
}

Outcomes predict(const Call& c, const blocks::Params& p, const blocks::Grid& grid) {
  if (c.args.size() != 7 || c.nlhs != 1) return {"Usage: Y = blocksToImage (X,n1,n2,N1,N2,rowSt,colSt)"};
  Outcomes e;
  const Arg& X = c.args[0];
  if (!X.numericOrLogical()) e.insert("blocksToImg:badInput");
  else if (X.sparse) e.insert("blocksToImg:sparseInput");
  if (!p.ok) {
    e.insert("blocksToImg:badParameter");
    return e;
  }
  e.insert(grid.errors.begin(), grid.errors.end());
  if (grid.errors.empty()) {
    if (X.n != static_cast<std::size_t>(grid.blockCount))
      e.insert("The input matrix X has not enough columns");
    else if (grid.blockCount > 0 && X.m != static_cast<std::size_t>(grid.blockLen))
      e.insert("blocksToImg:badRowCount");
  }
  return e;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plugin(kFn);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  Provider in(bytes, size);
  int nrhs = 7;
  Call c;
  counts(in, nrhs, c.nlhs);
  c.args.emplace_back();
  blocks::addParams(in, c);
  const blocks::Params p = blocks::readParams(c);
  blocks::Grid grid;
  if (p.ok) grid = blocks::checkGrid(kFn, p.g);
  c.args[0] = blockMatrix(in, grid, p.ok && grid.errors.empty());
  fitArgs(in, c, static_cast<std::size_t>(nrhs));

  const Outcomes expected = predict(c, p, grid);
  const bool large = expected.empty() && grid.imageSize > std::int64_t{kMaxElements};
  const auto r = run(kFn, c, expected, large);
  if (!r) return 0;
  // An empty image may still span 2^31 rows or columns, too many for the
  // reference's lists; there is nothing to compare then.
  compare(kFn, c, *r, static_cast<std::size_t>(p.g.N1), static_cast<std::size_t>(p.g.N2),
          grid.imageSize == 0 ? std::vector<double>() : reference::blocksToImg(c.args[0].values, p.g),
          Nan::exact);
  return 0;
}
