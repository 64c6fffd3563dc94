// A flat input array of any numeric or logical element type, read as doubles.
//
// The element type is a run-time tag, not a template parameter: the summing
// loops exist once, for doubles, whatever the classes of the three inputs, and
// other element types are converted in short runs into a buffer on the
// caller's stack. A value converts as static_cast<double> converts it: exactly,
// except 64-bit integers beyond 2^53, which round to nearest as double() does.
#ifndef TOOLBOX_ENERGY_VALUES_H
#define TOOLBOX_ENERGY_VALUES_H

#include <cstdint>

#include "simd/elements.h"

namespace energy {

struct Values {
  const void* data;  // may be null when nothing is read
  elements::Type type;

  template <class T>
  static Values of(const T* data) {
    return Values{data, elements::typeOf(data)};
  }
  bool isDouble() const { return type == elements::Type::f64; }
  const double* doubles() const { return static_cast<const double*>(data); }
};

// Element k, as a double.
double valueAt(Values v, std::int64_t k);

// out[t] = element from + t as a double, for t < count.
void toDoubles(Values v, std::int64_t from, std::int64_t count, double* out);

// Elements from .. from + count - 1 as doubles: a pointer into the data of a
// double array, or else buf (room for count doubles) filled by conversion.
inline const double* readDoubles(Values v, std::int64_t from, std::int64_t count, double* buf) {
  if (v.isDouble()) return v.doubles() + from;
  toDoubles(v, from, count, buf);
  return buf;
}

}  // namespace energy

#endif
