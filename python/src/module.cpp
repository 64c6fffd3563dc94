// bwtoolbox._core: the C++ cores of the plug-ins for NumPy arrays.
//
// The Python layer (bwtoolbox/__init__.py) turns NumPy arguments into what the
// cores read: native-endian arrays of double, float, (u)int8..64, laid out
// column-major for the kernel, and 32-bit integer parameters. These functions
// check again everything a core relies on, so that no call reaches outside an
// array whatever is passed to them, then run the core without the GIL.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
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

py::array_t<double> zeros(py::ssize_t rows, py::ssize_t cols) {
  // Column-major, so that a block column (or a transformed column) is one run.
  py::array_t<double, py::array::f_style> out({rows, cols});
  std::fill_n(out.mutable_data(), static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols),
              0.0);
  return out;
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
                      std::int32_t N2, std::int32_t rowSt, std::int32_t colSt) {
  constexpr char fn[] = "imgToBlocks";
  const blocks::Grid g = checkedGrid(fn, n1, n2, N1, N2, rowSt, colSt);
  requireColumnMajor(Y, fn, "image");
  if (static_cast<std::int64_t>(Y.size()) < std::int64_t{N1} * N2)
    fail(false, fn, "tooFewElements", "image holds %lld elements, fewer than %lld",
         static_cast<long long>(Y.size()), static_cast<long long>(std::int64_t{N1} * N2));
  py::array_t<double> X = zeros(g.blockLen, g.blockCount);
  double* x = X.mutable_data();
  withData(Y, fn, "image", [&](const auto* y) {
    py::gil_scoped_release unlocked;
    blocks::imgToBlocks(y, x, g);
  });
  return std::move(X);
}

py::array blocksToImg(const py::array& X, std::int32_t n1, std::int32_t n2, std::int32_t N1,
                      std::int32_t N2, std::int32_t rowSt, std::int32_t colSt) {
  constexpr char fn[] = "blocksToImg";
  const blocks::Grid g = checkedGrid(fn, n1, n2, N1, N2, rowSt, colSt);
  if (X.ndim() != 2) fail(false, fn, "badShape", "blocks must be a 2-D array");
  if (X.shape(1) != g.blockCount) failClassic("The input matrix X has not enough columns");
  // With no blocks nothing is read, so an empty X of any height will do.
  if (g.blockCount > 0 && X.shape(0) != g.blockLen)
    fail(false, fn, "badRowCount", "blocks has %lld rows; blocks of n1*n2 = %d entries need %d",
         static_cast<long long>(X.shape(0)), g.blockLen, g.blockLen);
  requireColumnMajor(X, fn, "blocks");
  py::array_t<double> Y = zeros(N1, N2);
  double* y = Y.mutable_data();
  withData(X, fn, "blocks", [&](const auto* x) {
    py::gil_scoped_release unlocked;
    blocks::blocksToImg(x, y, g);
  });
  return std::move(Y);
}

// The spectra of the columns of the M-by-N column-major array A, rows in
// sequency (0), Hadamard (1) or dyadic (2) order.
py::array seqSpectrum(const py::array& A, py::ssize_t M, py::ssize_t N, std::int32_t ordering) {
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
  py::array_t<double> W = zeros(L, N);
  double* w = W.mutable_data();
  withData(A, fn, "a", [&](const auto* a) {
    py::gil_scoped_release unlocked;
    std::vector<double> buffers(2 * static_cast<std::size_t>(L));
    walsh::Scratch s{buffers.data(), buffers.data() + L};
    walsh::orderedColumns(a, static_cast<std::int32_t>(M), static_cast<std::int32_t>(N), w, s,
                          static_cast<walsh::Ordering>(ordering));
  });
  return std::move(W);
}

// ell (m*n doubles, column-major shifts) of the field rM + i*iM on the m-by-n
// column-major grid, for the 1-based linear positions p.
py::array cyclicEnergy(const py::array& p, const py::array& rM, const py::array& iM,
                       std::int64_t m, std::int64_t n) {
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
  py::array_t<double> ell(static_cast<py::ssize_t>(cells));
  double* out = ell.mutable_data();
  {
    py::gil_scoped_release unlocked;
    energy::cyclicEnergy(values[0], np, values[1], values[2], m, n, out);
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
  mod.def("img_to_blocks", &imgToBlocks);
  mod.def("blocks_to_img", &blocksToImg);
  mod.def("seq_spectrum", &seqSpectrum);
  mod.def("cyclic_energy", &cyclicEnergy);
}
