// Fuzz target: W = walshOrdered(A, ordering) through the test host: the
// plain Walsh–Hadamard reference with its rows moved to the ordering's rows
// (sequency row r to row gray(r), dyadic, or rev(gray(r)), Hadamard).
#include "harness.h"
#include "walsh_inputs.h"

using namespace fuzz;

namespace {

const char kFn[] = "walshOrdered";

std::vector<double> reordered(const std::vector<double>& seq, std::int64_t L, int ordering) {
  int k = 0;
  while ((std::int64_t{1} << k) < L) ++k;
  std::vector<double> out(seq.size());
  for (std::size_t c = 0; c * L < seq.size(); ++c)
    for (std::int64_t r = 0; r < L; ++r) {
      std::int64_t row = ordering == 0 ? r : r ^ (r >> 1);
      if (ordering == 1) {
        std::int64_t rev = 0;
        for (int b = 0; b < k; ++b) rev |= ((row >> b) & 1) << (k - 1 - b);
        row = rev;
      }
      out[c * L + row] = seq[c * L + r];
    }
  return out;
}

struct Target {
  static constexpr const char* kName = kFn;
  static constexpr int kInputs = 2;
  static constexpr bool kNoOutputOk = true;
  static constexpr Nan kNan = Nan::anyNan;

  void draw(Provider& in, Call& c) const {
    c.args.push_back(walshInput(in));
    c.args.push_back(param(in, 1, -1, 3));
  }

  // The gateway's checks in its order: the first that fails ends the call.
  Outcomes predict(const Call& c) const {
    if (c.args.size() != 2) return {"walshOrdered:usage"};
    if (c.nlhs > 1) return {"Too many output arguments."};
    const Arg& A = c.args[0];
    if (!A.numericOrLogical()) return {"walshOrdered:badInput"};
    if (A.sparse) return {"walshOrdered:sparseInput"};
    const Param ordering = readParam(c.args[1]);
    if (!ordering.ok) return {"walshOrdered:badParameter"};
    if (ordering.v < 0 || ordering.v > 2) return {"walshOrdered:badOrdering"};
    if (beyondLimits(A))
      return {"walshOrdered:tooLarge"};
    return {};
  }

  bool tooLarge(const Call& c) const { return spectrumTooLarge(c); }

  Result reference(const Call& c) const {
    Result r = sequencySpectrum(c);
    r.values = reordered(r.values, static_cast<std::int64_t>(r.rows),
                         static_cast<int>(readParam(c.args[1]).v));
    return r;
  }
};

}  // namespace

TOOLBOX_FUZZ_TARGET(Target)
