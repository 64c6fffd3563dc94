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
    case 3:
      m = in.ConsumeIntegralInRange<std::size_t>(0, 12);
      n = in.ConsumeIntegralInRange<std::size_t>(0, 12);
      break;
    case 4: m = fewer(in, need); n = 1; break;
    case 5: return hugeArray(in);
    default: break;
  }
  if (m * n > kMaxData) return dataless(m, n);
  return data(in, m, n, -100, 100);
}

Outcomes predict(const Call& c, const blocks::Params& p, blocks::Grid& grid) {
  if (c.args.size() != 7 || c.nlhs != 1) return {"Usage: X = imgToBlocks (Y,n1,n2,N1,N2,rowSt,colSt)"};
  Outcomes e;
  const Arg& Y = c.args[0];
  if (!Y.numericOrLogical()) e.insert("imgToBlocks:badInput");
  else if (Y.sparse) e.insert("imgToBlocks:sparseInput");
  if (!p.ok) {
    e.insert("imgToBlocks:badParameter");
    return e;
  }
  grid = blocks::checkGrid(kFn, p.g);
  e.insert(grid.errors.begin(), grid.errors.end());
  if (grid.errors.empty() && Y.numel() < static_cast<std::size_t>(grid.imageSize))
    e.insert("imgToBlocks:tooFewElements");
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
  c.args[0] = image(in, p);
  fitArgs(in, c, static_cast<std::size_t>(nrhs));

  blocks::Grid grid;
  const Outcomes expected = predict(c, p, grid);
  const bool large = expected.empty() && grid.blockLen * grid.blockCount > std::int64_t{kMaxElements};
  const auto r = run(kFn, c, expected, large);
  if (!r) return 0;
  // With no blocks the grid may still span 2^31 rows or columns, too many
  // for the reference's lists; there is nothing to compare then.
  compare(kFn, c, *r, static_cast<std::size_t>(grid.blockLen),
          static_cast<std::size_t>(grid.blockCount),
          grid.blockCount == 0 ? std::vector<double>() : reference::imgToBlocks(c.args[0].values, p.g),
          Nan::exact);
  return 0;
}
