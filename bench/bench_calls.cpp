// The cost of one small call of each plug-in through the test host (its
// instrumentation off, so arrays are plain aligned heap memory), next to the same work
// done by calling the core directly. The difference is the gateway's checks,
// the host calls and the creation of the output.
#include <benchmark/benchmark.h>

#include <vector>

#include "blocks/copy.h"
#include "support.h"

namespace {

using support::Args;

template <class MakeArgs>
void pluginCall(benchmark::State& state, const char* name, int nlhs, MakeArgs make) {
  testhost::setInstrumented(false);
  const Args args = make();
  const testhost::Plugin& plugin = support::plugin(name);
  for (auto _ : state) {
    testhost::CallResult r = plugin.call(nlhs, args.ptrs());
    if (!r.ok) return state.SkipWithError(r.message.c_str());
    benchmark::DoNotOptimize(r.outputs.data());
  }
}

std::vector<double> ramp(std::size_t n) {
  std::vector<double> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<double>(i);
  return v;
}

// An 8-by-8 image in 4-by-4 blocks.
Args cutArgs() { return Args(testhost::makeDouble(8, 8, ramp(64)), 4, 4, 8, 8, 1, 1); }
Args pasteArgs() { return Args(testhost::makeDouble(16, 4, ramp(64)), 4, 4, 8, 8, 1, 1); }
// An 8-element column.
Args spectrumArgs() { return Args(testhost::makeDouble(8, 1, ramp(8))); }
// A 4-by-4 grid with four samples.
Args energyArgs() {
  return Args(testhost::makeDouble(1, 4, {1, 6, 11, 16}), testhost::makeDouble(4, 4, ramp(16)),
              testhost::makeDouble(4, 4, ramp(16)), 4, 4, 4);
}

void CallImgToBlocks(benchmark::State& s) { pluginCall(s, "imgToBlocks", 1, cutArgs); }
void CallBlocksToImg(benchmark::State& s) { pluginCall(s, "blocksToImg", 1, pasteArgs); }
void CallSeqSpectrum(benchmark::State& s) { pluginCall(s, "seqSpectrum", 1, spectrumArgs); }
void CallCyclicEnergy(benchmark::State& s) { pluginCall(s, "cyclicEnergy", 1, energyArgs); }

void CoreImgToBlocks(benchmark::State& state) {
  const blocks::Grid g = blocks::makeGrid({4, 4, 8, 8, 1, 1});
  const std::vector<double> Y = ramp(64);
  std::vector<double> X(64);
  for (auto _ : state) {
    blocks::imgToBlocks(Y.data(), X.data(), g);
    benchmark::DoNotOptimize(X.data());
  }
}

BENCHMARK(CallImgToBlocks);
BENCHMARK(CoreImgToBlocks);
BENCHMARK(CallBlocksToImg);
BENCHMARK(CallSeqSpectrum);
BENCHMARK(CallCyclicEnergy);

}  // namespace
