// Fuzz target: W = seqSpectrum(A) through the test host, against the plain
// Walsh–Hadamard reference (see harness.h). NaNs are compared as NaNs: which
// payload survives where two meet depends on the order of the operands.
#include "harness.h"
#include "reference/walsh_reference.h"
#include "walsh_inputs.h"

using namespace fuzz;

namespace {

const char kFn[] = "seqSpectrum";

Outcomes predict(const Call& c) {
  if (c.args.size() != 1) return {"Only one input arguments required."};
  if (c.nlhs > 1) return {"Too many output arguments."};
  Outcomes e;
  const Arg& A = c.args[0];
  if (!A.numericOrLogical()) e.insert("seqSpectrum:badInput");
  else if (A.sparse) e.insert("seqSpectrum:sparseInput");
  const std::int64_t limit = std::int64_t{1} << 31;
  if (A.m > (std::size_t{1} << 30) || A.n >= static_cast<std::size_t>(limit) ||
      paddedLength(A.m) * static_cast<std::int64_t>(A.n) >= limit)
    e.insert("seqSpectrum:tooLarge");
  return e;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plugin(kFn);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  Provider in(bytes, size);
  int nrhs = 1;
  Call c;
  c.nlhs = in.ConsumeBool() ? 0 : 1;
  counts(in, nrhs, c.nlhs);
  c.args.push_back(walshInput(in));
  fitArgs(in, c, static_cast<std::size_t>(nrhs));

  const Outcomes expected = predict(c);
  static const Arg none;
  const Arg& A = c.args.empty() ? none : c.args[0];
  const std::int64_t L = paddedLength(A.m);
  const bool large = expected.empty() && L * static_cast<std::int64_t>(A.n) > std::int64_t{kMaxElements};
  const auto r = run(kFn, c, expected, large);
  if (!r) return 0;
  compare(kFn, c, *r, static_cast<std::size_t>(L), A.n,
          reference::seqSpectrum(A.values, static_cast<std::int64_t>(A.m),
                                 static_cast<std::int64_t>(A.n)),
          Nan::anyNan);
  return 0;
}
