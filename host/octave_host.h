// The host adapter of the native Octave functions (see host/gateway.h). It
// reads its arguments as Octave's MEX interface shows them to a MEX file and
// ends a call with the messages and identifiers a MEX file gets there, so that
// a native function and the MEX file of the same gateway cannot be told apart
// but by speed:
//   - data are read where they lie: a double, single, integer or logical
//     array's own buffer (no copy); the real part of complex data, and a
//     scalar or range as a full array, converted once and kept for the call;
//   - the result is an NDArray whose buffer the core fills, created without
//     the zero fill of Octave's constructors (kOutputZeroed is false: the
//     gateway zeroes what its core leaves unwritten);
//   - mexErrMsgTxt and mexErrMsgIdAndTxt in Octave put "<fn>: " before the
//     message; usage and raise do the same.
// Octave ends a call by throwing, so scratch and kept arrays are owned here.
#ifndef TOOLBOX_HOST_OCTAVE_HOST_H
#define TOOLBOX_HOST_OCTAVE_HOST_H

#include <octave/oct.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace gateway {

class OctaveHost {
 public:
  using Arg = const octave_value*;

  OctaveHost(const char* fn, const octave_value_list& args, int nargout)
      : fn_(fn), args_(args), nargout_(nargout) {}

  int nlhs() const { return nargout_; }
  int nrhs() const { return static_cast<int>(args_.length()); }
  Arg in(int k) const { return &args_(k); }

  bool isNumeric(Arg a) const { return a->isnumeric(); }
  bool isLogical(Arg a) const { return a->islogical(); }
  bool isSparse(Arg a) const { return a->issparse(); }
  std::size_t numel(Arg a) const { return static_cast<std::size_t>(a->numel()); }
  std::size_t rows(Arg a) const { return static_cast<std::size_t>(a->rows()); }
  std::size_t cols(Arg a) const {
    const dim_vector d = a->dims();
    std::size_t n = 1;
    for (int k = 1; k < d.ndims(); ++k) n *= static_cast<std::size_t>(d(k));
    return n;
  }
  // As Octave's mxGetScalar: the first element, the real part of a complex one.
  double scalar(Arg a) const { return a->scalar_value(true); }

  template <class F>
  void withRealData(Arg a, F&& f) {
    if (a->is_double_type()) {
      f(keep(a->iscomplex() ? NDArray(real(a->complex_array_value())) : a->array_value()));
    } else if (a->is_single_type()) {
      f(keep(a->iscomplex() ? FloatNDArray(real(a->float_complex_array_value()))
                            : a->float_array_value()));
    } else if (a->islogical()) {
      f(reinterpret_cast<const std::uint8_t*>(keep(a->bool_array_value())));
    } else if (a->is_int8_type()) {
      f(reinterpret_cast<const std::int8_t*>(keep(a->int8_array_value())));
    } else if (a->is_uint8_type()) {
      f(reinterpret_cast<const std::uint8_t*>(keep(a->uint8_array_value())));
    } else if (a->is_int16_type()) {
      f(reinterpret_cast<const std::int16_t*>(keep(a->int16_array_value())));
    } else if (a->is_uint16_type()) {
      f(reinterpret_cast<const std::uint16_t*>(keep(a->uint16_array_value())));
    } else if (a->is_int32_type()) {
      f(reinterpret_cast<const std::int32_t*>(keep(a->int32_array_value())));
    } else if (a->is_uint32_type()) {
      f(reinterpret_cast<const std::uint32_t*>(keep(a->uint32_array_value())));
    } else if (a->is_int64_type()) {
      f(reinterpret_cast<const std::int64_t*>(keep(a->int64_array_value())));
    } else if (a->is_uint64_type()) {
      f(reinterpret_cast<const std::uint64_t*>(keep(a->uint64_array_value())));
    } else {
      std::abort();  // unreachable after requireFullNumeric
    }
  }

  // The rows-by-cols result, its entries not yet written.
  double* output(std::int32_t rows, std::int32_t cols) {
    const dim_vector dims(rows, cols);
    // The allocator of Octave's arrays, without the loop that zeroes each
    // element; the array takes the buffer over and frees it the same way.
    ArrayAllocator alloc;
    double* data = std::allocator_traits<ArrayAllocator>::allocate(
        alloc, static_cast<std::size_t>(dims.safe_numel()));
    result_ = NDArray(Array<double>(data, dims));
    return data;
  }
  static constexpr bool kOutputZeroed = false;

  double* scratch(std::size_t n) {
    scratch_.emplace_back(new double[n]);
    return scratch_.back().get();
  }
  void release(double*) {}

  [[noreturn]] void usage(const char* message) { error("%s: %s", fn_, message); }
  [[noreturn]] void raise(const char* id, const char* message) {
    error_with_id(id, "%s: %s", fn_, message);
  }

  octave_value_list result() const { return octave_value(result_); }

 private:
  template <class T, class A>
  static A allocatorOf(const Array<T, A>*);
  using ArrayAllocator = decltype(allocatorOf(static_cast<const Array<double>*>(nullptr)));

  // Keeps a for the rest of the call (it may be a conversion) and returns its
  // data; an array taken from an argument shares the argument's buffer.
  template <class A>
  auto keep(const A& a) -> decltype(a.data()) {
    auto held = std::make_shared<A>(a);
    kept_.push_back(held);
    return held->data();
  }

  const char* fn_;
  const octave_value_list& args_;
  int nargout_;
  NDArray result_;
  std::vector<std::shared_ptr<const void>> kept_;
  std::vector<std::unique_ptr<double[]>> scratch_;
};

}  // namespace gateway

#endif
