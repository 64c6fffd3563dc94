// Fuzz target: W = walshOrdered(A, ordering) through the test host: the
// plain Walsh–Hadamard reference with its rows moved to the ordering's rows
// (sequency row r to row gray(r), dyadic, or rev(gray(r)), Hadamard).
#include "harness.h"
#include "reference/walsh_reference.h"
#include "walsh_inputs.h"

using namespace fuzz;

namespace {

const char kFn[] = "walshOrdered";

// The gateway's checks in its order: the first that fails ends the call.
Outcomes predict(const Call& c) {
  if (c.args.size() != 2) return {"walshOrdered:usage"};
  if (c.nlhs > 1) return {"Too many output arguments."};
  const Arg& A = c.args[0];
  if (!A.numericOrLogical()) return {"walshOrdered:badInput"};
  if (A.sparse) return {"walshOrdered:sparseInput"};
  const Param ordering = readParam(c.args[1]);
  if (!ordering.ok) return {"walshOrdered:badParameter"};
  if (ordering.v < 0 || ordering.v > 2) return {"walshOrdered:badOrdering"};
  const std::int64_t limit = std::int64_t{1} << 31;
  if (A.m > (std::size_t{1} << 30) || A.n >= static_cast<std::size_t>(limit) ||
      paddedLength(A.m) * static_cast<std::int64_t>(A.n) >= limit)
    return {"walshOrdered:tooLarge"};
  return {};
}

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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plugin(kFn);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  Provider in(bytes, size);
  int nrhs = 2;
  Call c;
  c.nlhs = in.ConsumeBool() ? 0 : 1;
  counts(in, nrhs, c.nlhs);
  c.args.push_back(walshInput(in));
  c.args.push_back(param(in, 1, -1, 3));
  fitArgs(in, c, static_cast<std::size_t>(nrhs));

  const Outcomes expected = predict(c);
  static const Arg none;
  const Arg& A = c.args.empty() ? none : c.args[0];
  const std::int64_t L = paddedLength(A.m);
  const bool large = expected.empty() && L * static_cast<std::int64_t>(A.n) > std::int64_t{kMaxElements};
  const auto r = run(kFn, c, expected, large);
  if (!r) return 0;
  const std::vector<double> seq = reference::seqSpectrum(A.values, static_cast<std::int64_t>(A.m),
                                                         static_cast<std::int64_t>(A.n));
  compare(kFn, c, *r, static_cast<std::size_t>(L), A.n,
          reordered(seq, L, static_cast<int>(readParam(c.args[1]).v)), Nan::anyNan);
  return 0;
}
