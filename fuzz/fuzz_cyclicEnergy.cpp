// Fuzz target: ell = cyclicEnergy(p, rM, iM, m, n, np) through the test host,
// against the plain triple loop (see harness.h). NaNs are compared as NaNs:
// which payload survives where two meet depends on the order of the operands.
#include <cstdint>

#include "harness.h"
#include "reference/energy_reference.h"

using namespace fuzz;

namespace {

const char kFn[] = "cyclicEnergy";
constexpr std::size_t kMaxData = kMaxElements;

enum { IN_P, IN_RM, IN_IM, IN_M, IN_N, IN_NP };

// p: np positions (or a few more or fewer): on the grid, or wild (beyond it
// by up to a column, or any value).
Arg positions(Provider& in, std::int64_t cells, std::int64_t m, std::int64_t np) {
  std::size_t len = np >= 0 && np <= 64 ? static_cast<std::size_t>(np) : 2;
  switch (pick(in, 0, 0, 3)) {
    case 1: len += 1; break;
    case 2: len = len > 0 ? len - 1 : 0; break;
    case 3: len = in.ConsumeIntegralInRange<std::size_t>(0, 24); break;
    default: break;
  }
  const std::int64_t top = cells > 0 && cells < 100000 ? cells : 6;
  const bool wild = in.ConsumeBool();
  const std::int64_t hi = wild ? top + (m > 0 && m < 100000 ? m : 2) + 1 : top;
  const bool row = in.ConsumeBool();
  return data(in, row ? 1 : len, row ? len : 1, wild ? -1 : 1, static_cast<int>(hi), !wild);
}

// rM or iM: m-by-n, flat, longer, too short, any small shape, or huge without data.
Arg field(Provider& in, std::int64_t m, std::int64_t n) {
  const bool known = m >= 0 && n >= 0 && m <= (std::int64_t{1} << 32) && n <= (std::int64_t{1} << 32);
  const std::size_t rows = known ? static_cast<std::size_t>(m) : 2;
  const std::size_t cols = known ? static_cast<std::size_t>(n) : 3;
  const std::size_t cells = rows * cols;
  std::size_t r = rows, c = cols;
  switch (pick(in, 0, 0, 5)) {
    case 1: r = 1; c = cells; break;
    case 2: r = cells + in.ConsumeIntegralInRange<std::size_t>(1, 3); c = 1; break;
    case 3: r = fewer(in, cells); c = 1; break;
    case 4: smallShape(in, r, c, 8); break;
    case 5: return hugeArray(in);
    default: break;
  }
  return dataUpTo(in, r, c, kMaxData);
}

struct Target {
  static constexpr const char* kName = kFn;
  static constexpr int kInputs = 6;
  static constexpr bool kNoOutputOk = true;
  static constexpr Nan kNan = Nan::anyNan;
  std::int64_t cells = -1;  // m*n; -1 when unknown or out of range

  void draw(Provider& in, Call& c) const {
    // Now and then a grid of more than 8192 points, which the core sums in
    // several blocks of columns.
    const bool big = pick(in, 0, 0, 31) == 31;
    static const int bigRows[] = {1, 2, 3, 7, 64, 100, 1000, 4096, 8191, 8192, 8193};
    const int rows = big ? in.PickValueInArray(bigRows) : 0;
    Arg m = big ? param(in, rows, rows, rows) : param(in, 2, -1, 24);
    Arg n = big ? param(in, 9000 / rows + 1, 9000 / rows + 1, 9000 / rows + 3) : param(in, 3, -1, 12);
    Arg np = big ? param(in, 2, -2, 4) : param(in, 2, -2, 16);
    const Param pm = readParam(m), pn = readParam(n), pnp = readParam(np);
    const std::int64_t mv = pm.ok ? pm.v : 2, nv = pn.ok ? pn.v : 3;
    c.args.push_back(positions(in, mv * nv, mv, pnp.ok ? pnp.v : 2));
    c.args.push_back(field(in, mv, nv));
    c.args.push_back(field(in, mv, nv));
    c.args.push_back(std::move(m));
    c.args.push_back(std::move(n));
    c.args.push_back(std::move(np));
  }

  Outcomes predict(const Call& c) {
    if (c.args.size() != 6 || c.nlhs > 1) return {"Usage: ell = cycEnergy (p, rM, iM, m, n, np)"};
    Outcomes e;
    const Param m = readParam(c.args[IN_M]), n = readParam(c.args[IN_N]), np = readParam(c.args[IN_NP]);
    if (!m.ok || !n.ok || !np.ok) e.insert("cyclicEnergy:badParameter");
    if (m.ok && n.ok) {
      if (m.v < 0 || n.v < 0) e.insert("cyclicEnergy:negativeSize");
      else if (m.v * n.v > INT32_MAX) e.insert("cyclicEnergy:tooLarge");
      else cells = m.v * n.v;
    }
    for (int k : {IN_P, IN_RM, IN_IM}) {
      if (!c.args[k].numericOrLogical()) e.insert("cyclicEnergy:badInput");
      else if (c.args[k].sparse) e.insert("cyclicEnergy:sparseInput");
    }
    const Arg& p = c.args[IN_P];
    if (np.ok && np.v > 0 && static_cast<std::size_t>(np.v) > p.numel())
      e.insert("cyclicEnergy:tooFewPositions");
    if (cells >= 0)
      for (int k : {IN_RM, IN_IM})
        if (c.args[k].numel() < static_cast<std::size_t>(cells)) e.insert("cyclicEnergy:tooFewElements");
    if (cells > 0 && np.ok && p.fullData() && (np.v <= 0 || static_cast<std::size_t>(np.v) <= p.numel()))
      for (std::int64_t k = 0; k < np.v; ++k) {
        const double v = p.values[static_cast<std::size_t>(k)];
        if (!(v >= 1.0 && v < static_cast<double>(cells) + 1.0)) {
          e.insert("cyclicEnergy:positionOutOfRange");
          break;
        }
      }
    return e;
  }

  bool tooLarge(const Call&) const { return cells > std::int64_t{kMaxElements}; }

  // With no grid points m or n may still be near 2^31, too many empty passes
  // for the reference's loops; there is nothing to compare then.
  Result reference(const Call& c) const {
    Result r{1, static_cast<std::size_t>(cells), {}};
    if (cells > 0)
      r.values = reference::cyclicEnergy(c.args[IN_P].values, c.args[IN_RM].values,
                                         c.args[IN_IM].values, readParam(c.args[IN_M]).v,
                                         readParam(c.args[IN_N]).v, readParam(c.args[IN_NP]).v);
    return r;
  }
};

}  // namespace

TOOLBOX_FUZZ_TARGET(Target)
