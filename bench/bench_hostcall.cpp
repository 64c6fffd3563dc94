// The shipped imgToBlocks and blocksToImg plug-ins as a production host calls
// them, through a minimal host of this file's own: every array comes from
// malloc (glibc maps large blocks, so their data start 16 bytes past a page
// boundary) and an output is zero-filled by the host when it is created, as
// mxCreateDoubleMatrix does, so that the end of it is still in the caches,
// dirty, when the plug-in starts writing. A call is timed from the moment its
// output exists to its return; the baseline is memcpy of the same bytes
// between two such arrays, the destination touched before and not zeroed
// again. The test host cannot stand in here: its arrays sit on guard pages or
// on 64-byte lines.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "mex.h"
#include "ratios.h"

struct mxArray_tag {
  std::size_t m, n;
  double* data;
};

namespace {

using Clock = std::chrono::steady_clock;
Clock::time_point outputCreated;  // set by mxCreateDoubleMatrix

mxArray* newArray(std::size_t m, std::size_t n) {
  auto* a = static_cast<mxArray*>(std::malloc(sizeof(mxArray)));
  const std::size_t bytes = m * n * sizeof(double);
  *a = {m, n, static_cast<double*>(std::malloc(bytes ? bytes : 1))};
  if (!a->data) std::abort();
  return a;
}

void destroy(mxArray* a) {
  std::free(a->data);
  std::free(a);
}

[[noreturn]] void stop(const char* message) {
  std::fprintf(stderr, "plug-in error: %s\n", message);
  std::abort();
}

}  // namespace

// The host functions the two plug-ins import; every array is a real double
// matrix.
extern "C" {
double* mxGetPr(const mxArray* a) { return a->data; }
void* mxGetData(const mxArray* a) { return a->data; }
size_t mxGetM(const mxArray* a) { return a->m; }
size_t mxGetN(const mxArray* a) { return a->n; }
size_t mxGetNumberOfElements(const mxArray* a) { return a->m * a->n; }
double mxGetScalar(const mxArray* a) { return a->m * a->n > 0 ? a->data[0] : 0.0; }
mxClassID mxGetClassID(const mxArray*) { return mxDOUBLE_CLASS; }
bool mxIsSparse(const mxArray*) { return false; }
bool mxIsLogical(const mxArray*) { return false; }
bool mxIsNumeric(const mxArray*) { return true; }
mxArray* mxCreateDoubleMatrix_700(int m, int n, mxComplexity) {
  mxArray* a = newArray(std::size_t(m), std::size_t(n));
  std::memset(a->data, 0, a->m * a->n * sizeof(double));
  outputCreated = Clock::now();
  return a;
}
void mexErrMsgTxt(const char* message) { stop(message); }
void mexErrMsgIdAndTxt(const char* id, const char*, ...) { stop(id); }
}

namespace {

using Entry = void (*)(int, mxArray**, int, const mxArray**);

Entry plugin(const char* name) {
  const std::string path = std::string(TOOLBOX_DIST_DIR) + "/" + name + TOOLBOX_MEX_SUFFIX;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) stop(dlerror());
  return reinterpret_cast<Entry>(dlsym(handle, "mexFunction"));
}

mxArray* scalar(double v) {
  mxArray* a = newArray(1, 1);
  a->data[0] = v;
  return a;
}

// An input of m*n values that are not all alike.
mxArray* input(std::size_t m, std::size_t n) {
  mxArray* a = newArray(m, n);
  for (std::size_t i = 0; i < m * n; ++i) a->data[i] = static_cast<double>(i % 1000);
  return a;
}

// Arguments: direction (0: imgToBlocks, 1: blocksToImg), image side, block side.
void HostCall(benchmark::State& state) {
  const bool toImage = state.range(0) != 0;
  const int side = static_cast<int>(state.range(1)), block = static_cast<int>(state.range(2));
  static const Entry cut = plugin("imgToBlocks"), paste = plugin("blocksToImg");
  const std::size_t blocks = std::size_t(side / block) * std::size_t(side / block);
  std::vector<mxArray*> in = {toImage ? input(std::size_t(block) * block, blocks) : input(side, side)};
  for (double v : {block, block, side, side, 1, 1}) in.push_back(scalar(v));
  for (auto _ : state) {
    mxArray* out = nullptr;
    (toImage ? paste : cut)(1, &out, 7, const_cast<const mxArray**>(in.data()));
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - outputCreated).count());
    destroy(out);
  }
  for (mxArray* a : in) destroy(a);
}

void HostMemcpy(benchmark::State& state) {
  const std::size_t side = state.range(0);
  mxArray* from = input(side, side);
  mxArray* to = input(side, side);
  for (auto _ : state) {
    const auto start = Clock::now();
    std::memcpy(to->data, from->data, side * side * sizeof(double));
    benchmark::ClobberMemory();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
  destroy(from);
  destroy(to);
}

bool registered = [] {
  benchmark::RegisterBenchmark("HostMemcpy", HostMemcpy)->Arg(4096)->UseManualTime()->Unit(benchmark::kMillisecond);
  for (int block : {2, 8, 16}) {
    for (int dir = 0; dir < 2; ++dir) {
      const std::string name = "HostCall/" + std::to_string(dir) + "/4096/" + std::to_string(block);
      benchmark::RegisterBenchmark("HostCall", HostCall)
          ->Args({dir, 4096, block})
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
      bench::addRatio(std::string(dir ? "blocksToImg" : "imgToBlocks") + " 4096^2, " + std::to_string(block) + "x" +
                          std::to_string(block) + ", host call / memcpy",
                      name + "/manual_time", "HostMemcpy/4096/manual_time", block == 2 ? "<= 1.3" : "<= 1.0");
    }
  }
  return true;
}();

}  // namespace
