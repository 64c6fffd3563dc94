// bwtoolbox._core: the C++ cores of the plug-ins for NumPy arrays.
//
// The Python layer (bwtoolbox/__init__.py) turns NumPy arguments into what the
// cores read: native-endian arrays of double, float, (u)int8..64, laid out
// column-major for the kernel, and 32-bit integer parameters. These functions
// check again everything a core relies on, so that no call reaches outside an
// array whatever is passed to them, then run the core without the GIL, on
// several threads when asked to and when the call is large enough to pay for
// them.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "blocks/copy.h"
#include "blocks/grid.h"
#include "energy/energy.h"
#include "walsh/transform.h"

namespace py = pybind11;

namespace {

// A refused argument: becomes bwtoolbox.ToolboxValueError or ToolboxTypeError
// with the identifier "<fn>:<reason>".
struct Failure {
  bool isType;
  std::string id;
  std::string message;
};

template <class... A>
[[noreturn]] void fail(bool isType, const char* fn, const char* reason, const char* format,
                       A... args) {
  char message[256];
  if constexpr (sizeof...(A) == 0)
    std::snprintf(message, sizeof message, "%s", format);
  else
    std::snprintf(message, sizeof message, format, args...);
  throw Failure{isType, std::string(fn) + ":" + reason, message};
}

// Failures whose message the plug-ins raise without an identifier.
[[noreturn]] void failClassic(const char* message) { throw Failure{false, "", message}; }

// Calls f(const T* data) with the data of a typed as its element type. Bool
// arrays are read as uint8 (0 or 1), as the plug-ins read logical arrays.
template <class F>
void withData(const py::array& a, const char* fn, const char* name, F&& f) {
  const py::dtype dt = a.dtype();
  const char kind = dt.kind();
  const py::ssize_t size = dt.itemsize();
  if (!py::cast<bool>(dt.attr("isnative")))
    fail(true, fn, "badInput", "%s must be in native byte order", name);
  const void* p = a.data();
  switch (kind) {
    case 'f':
      if (size == 8) return f(static_cast<const double*>(p));
      if (size == 4) return f(static_cast<const float*>(p));
      break;
    case 'i':
      if (size == 1) return f(static_cast<const std::int8_t*>(p));
      if (size == 2) return f(static_cast<const std::int16_t*>(p));
      if (size == 4) return f(static_cast<const std::int32_t*>(p));
      if (size == 8) return f(static_cast<const std::int64_t*>(p));
      break;
    case 'u':
    case 'b':
      if (size == 1) return f(static_cast<const std::uint8_t*>(p));
      if (size == 2) return f(static_cast<const std::uint16_t*>(p));
      if (size == 4) return f(static_cast<const std::uint32_t*>(p));
      if (size == 8) return f(static_cast<const std::uint64_t*>(p));
      break;
    default:
      break;
  }
  fail(true, fn, "badInput", "%s must be a real numeric or boolean array", name);
}

// The elements of a in storage order, column-major: a Fortran-contiguous
// array (1-D and empty arrays are both kinds of contiguous).
void requireColumnMajor(const py::array& a, const char* fn, const char* name) {
  if (!(a.flags() & py::array::f_style))
    fail(false, fn, "badLayout", "%s must be Fortran-contiguous", name);
}

// ---- Threads ---------------------------------------------------------------
//
// A call is cut into ranges of independent output columns (spectrum columns,
// grid columns of the blocks, column shifts of the energies), one range per
// thread. Every output entry is computed by the same operations as in the
// whole call, so the result does not depend on the number of threads.

// The work a thread must get, in nanoseconds of one core as estimated by each
// function, before another thread is started: starting and joining one costs
// some tens of microseconds, more on a loaded machine. See python/README.md.
std::atomic<std::int64_t> minThreadWork{300000};

// Calls run(begin, end) for consecutive ranges covering 0 .. count, cut at
// multiples of `align`, on at most `workers` threads (the calling one
// included), as many as `work` (the whole call's estimate) pays for. The
// caller has released the GIL; run must not touch Python objects.
template <class F>
void inRanges(std::int64_t count, std::int64_t align, double work, std::int64_t workers, F&& run) {
  const std::int64_t minWork = std::max<std::int64_t>(1, minThreadWork.load());
  const std::int64_t units = (count + align - 1) / align;
  std::int64_t threads = std::min<std::int64_t>(workers, units);
  if (work < static_cast<double>(threads) * static_cast<double>(minWork))
    threads = std::max<std::int64_t>(1, static_cast<std::int64_t>(work / static_cast<double>(minWork)));
  if (threads <= 1) return run(std::int64_t{0}, count);
  auto bound = [&](std::int64_t t) { return std::min(count, units * t / threads * align); };
  std::vector<std::exception_ptr> errors(static_cast<std::size_t>(threads));
  auto part = [&](std::int64_t t) {
    try {
      run(bound(t), bound(t + 1));
    } catch (...) {
      errors[static_cast<std::size_t>(t)] = std::current_exception();
    }
  };
  std::vector<std::thread> pool;
  pool.reserve(static_cast<std::size_t>(threads - 1));
  std::int64_t t = 1;
  try {
    for (; t < threads; ++t) pool.emplace_back(part, t);
  } catch (const std::system_error&) {
    // No more threads to be had: the calling thread takes the ranges left.
  }
  part(0);
  for (std::int64_t u = t; u < threads; ++u) part(u);
  for (std::thread& th : pool) th.join();
  for (const std::exception_ptr& e : errors)
    if (e) std::rethrow_exception(e);
}

// Work estimates, in nanoseconds of one Zen 3 core (see python/README.md).
double spectrumWork(std::int64_t L, std::int64_t N) {
  return 0.12 * static_cast<double>(L) * static_cast<double>(N) *
         (1 + walsh::stageCount(static_cast<std::int32_t>(L)));
}
double copyWork(std::int64_t values) { return 0.5 * static_cast<double>(values); }
double energyWork(std::int64_t np, std::int64_t cells) {
  return 0.25 * static_cast<double>(np) * static_cast<double>(cells);
}

// An output, not yet written: each thread writes (or zeroes) its own part, so
// that the pages are touched by the thread that fills them.
py::array_t<double> columnMajor(py::ssize_t rows, py::ssize_t cols) {
  // Column-major, so that a block column (or a transformed column) is one run.
  return py::array_t<double, py::array::f_style>({rows, cols});
}

void checkWorkers(const char* fn, std::int64_t workers) {
  if (workers < 1)
    fail(false, fn, "badWorkers", "workers must be at least 1, not %lld",
         static_cast<long long>(workers));
}

// The grid of the six parameters (start point counted from 1), or the reason
// it is refused, in the order of the plug-ins' checks.
blocks::Grid checkedGrid(const char* fn, std::int32_t n1, std::int32_t n2, std::int32_t N1,
                         std::int32_t N2, std::int32_t rowSt, std::int32_t colSt) {
  const blocks::GridParams p{n1, n2, N1, N2, rowSt, colSt};
  switch (blocks::checkGrid(p)) {
    case blocks::GridError::none:
      break;
    case blocks::GridError::startPoint:
      failClassic("Start point is not correct");
    case blocks::GridError::negativeSize:
      fail(false, fn, "negativeSize", "Image shape (%d, %d) must not be negative", N1, N2);
    case blocks::GridError::imageTooSmall:
      fail(false, fn, "imageTooSmall",
           "The band above or left of the start point (%d, %d) does not fit in the %d-by-%d "
           "image",
           rowSt - 1, colSt - 1, N1, N2);
    case blocks::GridError::tooLarge:
      fail(false, fn, "tooLarge",
           "The image and the block matrix must each have fewer than 2^31 elements");
  }
  return blocks::makeGrid(p);
}

py::tuple gridShape(const char* fn, std::int32_t n1, std::int32_t n2, std::int32_t N1,
                    std::int32_t N2, std::int32_t rowSt, std::int32_t colSt) {
  const blocks::Grid g = checkedGrid(fn, n1, n2, N1, N2, rowSt, colSt);
  return py::make_tuple(g.blockLen, g.blockCount);
}

py::array imgToBlocks(const py::array& Y, std::int32_t n1, std::int32_t n2, std::int32_t N1,
                      std::int32_t N2, std::int32_t rowSt, std::int32_t colSt,
                      std::int64_t workers) {
  constexpr char fn[] = "imgToBlocks";
  const blocks::Grid g = checkedGrid(fn, n1, n2, N1, N2, rowSt, colSt);
  requireColumnMajor(Y, fn, "image");
  if (static_cast<std::int64_t>(Y.size()) < std::int64_t{N1} * N2)
    fail(false, fn, "tooFewElements", "image holds %lld elements, fewer than %lld",
         static_cast<long long>(Y.size()), static_cast<long long>(std::int64_t{N1} * N2));
  checkWorkers(fn, workers);
  py::array_t<double> X = columnMajor(g.blockLen, g.blockCount);
  double* x = X.mutable_data();
  withData(Y, fn, "image", [&](const auto* y) {
    py::gil_scoped_release unlocked;
    inRanges(g.mainCols, 1, copyWork(std::int64_t{g.blockLen} * g.blockCount), workers,
             [&](std::int64_t c0, std::int64_t c1) {
               const auto b0 = static_cast<std::int32_t>(c0), b1 = static_cast<std::int32_t>(c1);
               // The copy writes every paired entry; the frames of the
               // range's blocks that are not full are zeroed.
               blocks::zeroUnpaired(x, g, b0, b1);
               blocks::imgToBlocks(y, x, g, b0, b1);
             });
  });
  return std::move(X);
}

py::array blocksToImg(const py::array& X, std::int32_t n1, std::int32_t n2, std::int32_t N1,
                      std::int32_t N2, std::int32_t rowSt, std::int32_t colSt,
                      std::int64_t workers) {
  constexpr char fn[] = "blocksToImg";
  const blocks::Grid g = checkedGrid(fn, n1, n2, N1, N2, rowSt, colSt);
  if (X.ndim() != 2) fail(false, fn, "badShape", "blocks must be a 2-D array");
  if (X.shape(1) != g.blockCount) failClassic("The input matrix X has not enough columns");
  // With no blocks nothing is read, so an empty X of any height will do.
  if (g.blockCount > 0 && X.shape(0) != g.blockLen)
    fail(false, fn, "badRowCount", "blocks has %lld rows; blocks of n1*n2 = %d entries need %d",
         static_cast<long long>(X.shape(0)), g.blockLen, g.blockLen);
  requireColumnMajor(X, fn, "blocks");
  checkWorkers(fn, workers);
  // Every image entry is paired with a block entry: the copy writes all of Y.
  py::array_t<double> Y = columnMajor(N1, N2);
  double* y = Y.mutable_data();
  withData(X, fn, "blocks", [&](const auto* x) {
    py::gil_scoped_release unlocked;
    inRanges(g.mainCols, 1, copyWork(std::int64_t{N1} * N2), workers,
             [&](std::int64_t c0, std::int64_t c1) {
               blocks::blocksToImg(x, y, g, static_cast<std::int32_t>(c0), static_cast<std::int32_t>(c1));
             });
  });
  return std::move(Y);
}

// The spectra of the columns of the M-by-N column-major array A, rows in
// sequency (0), Hadamard (1) or dyadic (2) order.
py::array seqSpectrum(const py::array& A, py::ssize_t M, py::ssize_t N, std::int32_t ordering,
                      std::int64_t workers) {
  constexpr char fn[] = "seqSpectrum";
  requireColumnMajor(A, fn, "a");
  if (M < 0 || N < 0 || A.size() != M * N)
    fail(false, fn, "badShape", "a does not hold %lld by %lld elements", static_cast<long long>(M),
         static_cast<long long>(N));
  if (ordering < 0 || ordering > 2)
    fail(false, fn, "badOrdering", "ordering must be 0, 1 or 2, not %d", ordering);
  if (M > walsh::kMaxRows)
    fail(false, fn, "tooLarge", "a has %lld elements along the axis; at most 2^30 are supported",
         static_cast<long long>(M));
  const std::int32_t L = walsh::paddedLength(static_cast<std::int32_t>(M));
  // L >= M, so this also keeps M*N below 2^31.
  if (N > INT32_MAX / L)
    fail(false, fn, "tooLarge", "The result of %d by %lld must have fewer than 2^31 elements", L,
         static_cast<long long>(N));
  checkWorkers(fn, workers);
  // The transform writes every entry of W.
  py::array_t<double> W = columnMajor(L, N);
  double* w = W.mutable_data();
  withData(A, fn, "a", [&](const auto* a) {
    py::gil_scoped_release unlocked;
    // Ranges of whole groups of eight columns: the vector paths take the same
    // groups of columns together as in the whole call.
    inRanges(N, 8, spectrumWork(L, N), workers, [&](std::int64_t c0, std::int64_t c1) {
      std::vector<double> buffers(2 * static_cast<std::size_t>(L));
      walsh::Scratch s{buffers.data(), buffers.data() + L};
      walsh::orderedColumns(a + c0 * M, static_cast<std::int32_t>(M), static_cast<std::int32_t>(c1 - c0),
                            w + c0 * L, s, static_cast<walsh::Ordering>(ordering));
    });
  });
  return std::move(W);
}

// ell (m*n doubles, column-major shifts) of the field rM + i*iM on the m-by-n
// column-major grid, for the 1-based linear positions p.
py::array cyclicEnergy(const py::array& p, const py::array& rM, const py::array& iM,
                       std::int64_t m, std::int64_t n, std::int64_t workers) {
  constexpr char fn[] = "cyclicEnergy";
  if (m < 0 || n < 0)
    fail(false, fn, "negativeSize", "Grid shape (%lld, %lld) must not be negative",
         static_cast<long long>(m), static_cast<long long>(n));
  if (m > INT32_MAX || n > INT32_MAX || m * n > INT32_MAX)
    fail(false, fn, "tooLarge", "The grid must have fewer than 2^31 points");
  const std::int64_t cells = m * n;
  const char* names[] = {"positions", "real part", "imaginary part"};
  const py::array* arrays[] = {&p, &rM, &iM};
  energy::Values values[3];
  for (int i = 0; i < 3; ++i) {
    requireColumnMajor(*arrays[i], fn, names[i]);
    withData(*arrays[i], fn, names[i], [&](const auto* d) { values[i] = energy::Values::of(d); });
  }
  for (int i = 1; i < 3; ++i)
    if (static_cast<std::int64_t>(arrays[i]->size()) < cells)
      fail(false, fn, "tooFewElements", "The %s holds %lld elements, fewer than %lld", names[i],
           static_cast<long long>(arrays[i]->size()), static_cast<long long>(cells));
  const std::int64_t np = static_cast<std::int64_t>(p.size());
  const std::int64_t bad = cells > 0 ? energy::firstBadPosition(values[0], np, cells) : -1;
  if (bad >= 0)
    fail(false, fn, "positionOutOfRange", "Position %lld lies outside the grid",
         static_cast<long long>(bad));
  checkWorkers(fn, workers);
  py::array_t<double> ell(static_cast<py::ssize_t>(cells));
  double* out = ell.mutable_data();
  {
    py::gil_scoped_release unlocked;
    inRanges(n, 1, energyWork(np, cells), workers, [&](std::int64_t i0, std::int64_t i1) {
      energy::cyclicEnergyColumns(values[0], np, values[1], values[2], m, n, out, i0, i1);
    });
  }
  return std::move(ell);
}

}  // namespace

PYBIND11_MODULE(_core, mod) {
  mod.doc() = "The C++ cores of bwtoolbox; use the functions of the bwtoolbox package.";
  // Looked up once; kept for the life of the process.
  static py::object* valueError = nullptr;
  static py::object* typeError = nullptr;
  {
    py::module_ errors = py::module_::import("bwtoolbox._errors");
    valueError = new py::object(errors.attr("ToolboxValueError"));
    typeError = new py::object(errors.attr("ToolboxTypeError"));
  }
  py::register_exception_translator([](std::exception_ptr e) {
    try {
      if (e) std::rethrow_exception(e);
    } catch (const Failure& f) {
      py::object cls = f.isType ? *typeError : *valueError;
      PyErr_SetObject(cls.ptr(), py::make_tuple(f.message, f.id).ptr());
    }
  });
  mod.def(
      "grid_shape",
      [](std::int32_t n1, std::int32_t n2, std::int32_t N1, std::int32_t N2, std::int32_t rowSt,
         std::int32_t colSt, bool toImage) {
        return gridShape(toImage ? "blocksToImg" : "imgToBlocks", n1, n2, N1, N2, rowSt, colSt);
      },
      "(blockLen, blockCount) of a grid, or the error of the plug-ins.");
  // workers: the most threads a call may use (1 or more; the package resolves
  // scipy.fft's convention).
  const auto workers = py::arg("workers") = 1;
  mod.def("img_to_blocks", &imgToBlocks, py::arg("Y"), py::arg("n1"), py::arg("n2"), py::arg("N1"),
          py::arg("N2"), py::arg("rowSt"), py::arg("colSt"), workers);
  mod.def("blocks_to_img", &blocksToImg, py::arg("X"), py::arg("n1"), py::arg("n2"), py::arg("N1"),
          py::arg("N2"), py::arg("rowSt"), py::arg("colSt"), workers);
  mod.def("seq_spectrum", &seqSpectrum, py::arg("A"), py::arg("M"), py::arg("N"),
          py::arg("ordering"), workers);
  mod.def("cyclic_energy", &cyclicEnergy, py::arg("p"), py::arg("rM"), py::arg("iM"), py::arg("m"),
          py::arg("n"), workers);
  mod.def(
      "min_thread_work",
      [](std::int64_t ns) { return minThreadWork.exchange(ns); },
      py::arg("ns"),
      "Sets the estimated work (ns) a thread must get before another is started; returns the "
      "previous value. For tests and measurements.");
}
