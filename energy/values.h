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

namespace energy {

enum class ElementType : unsigned char { f64, f32, i8, u8, i16, u16, i32, u32, i64, u64 };

constexpr ElementType typeOf(const double*) { return ElementType::f64; }
constexpr ElementType typeOf(const float*) { return ElementType::f32; }
constexpr ElementType typeOf(const std::int8_t*) { return ElementType::i8; }
constexpr ElementType typeOf(const std::uint8_t*) { return ElementType::u8; }
constexpr ElementType typeOf(const std::int16_t*) { return ElementType::i16; }
constexpr ElementType typeOf(const std::uint16_t*) { return ElementType::u16; }
constexpr ElementType typeOf(const std::int32_t*) { return ElementType::i32; }
constexpr ElementType typeOf(const std::uint32_t*) { return ElementType::u32; }
constexpr ElementType typeOf(const std::int64_t*) { return ElementType::i64; }
constexpr ElementType typeOf(const std::uint64_t*) { return ElementType::u64; }

struct Values {
  const void* data;  // may be null when nothing is read
  ElementType type;

  template <class T>
  static Values of(const T* data) {
    return Values{data, typeOf(data)};
  }
  bool isDouble() const { return type == ElementType::f64; }
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
