// Fuzz target: W = seqSpectrum(A) through the test host, against the plain
// Walsh–Hadamard reference (see harness.h). NaNs are compared as NaNs: which
// payload survives where two meet depends on the order of the operands.
#include "harness.h"
#include "walsh_inputs.h"

using namespace fuzz;

namespace {

const char kFn[] = "seqSpectrum";

struct Target {
  static constexpr const char* kName = kFn;
  static constexpr int kInputs = 1;
  static constexpr bool kNoOutputOk = true;
  static constexpr Nan kNan = Nan::anyNan;

  void draw(Provider& in, Call& c) const { c.args.push_back(walshInput(in)); }

  Outcomes predict(const Call& c) const {
    if (c.args.size() != 1) return {"Only one input arguments required."};
    if (c.nlhs > 1) return {"Too many output arguments."};
    Outcomes e;
    const Arg& A = c.args[0];
    if (!A.numericOrLogical()) e.insert("seqSpectrum:badInput");
    else if (A.sparse) e.insert("seqSpectrum:sparseInput");
    if (beyondLimits(A))
      e.insert("seqSpectrum:tooLarge");
    return e;
  }

  bool tooLarge(const Call& c) const { return spectrumTooLarge(c); }
  Result reference(const Call& c) const { return sequencySpectrum(c); }
};

}  // namespace

TOOLBOX_FUZZ_TARGET(Target)
