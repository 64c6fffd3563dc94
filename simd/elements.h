// The element types a host array can hold, in one list. Cores that read any
// numeric or logical input convert each value to double as it is read, either
// instantiated per type (the block copies, the transform) or through a
// run-time tag (the energy sums, whose loops exist for doubles only). Logical
// arrays hold one byte per element and share the uint8_t type.
#ifndef TOOLBOX_SIMD_ELEMENTS_H
#define TOOLBOX_SIMD_ELEMENTS_H

#include <cstdint>

// X(type, tag) for every element type: explicit template instantiations, and
// the tags below.
#define TOOLBOX_FOR_EACH_ELEMENT_TYPE(X) \
  X(double, f64)                         \
  X(float, f32)                          \
  X(std::int8_t, i8)                     \
  X(std::uint8_t, u8)                    \
  X(std::int16_t, i16)                   \
  X(std::uint16_t, u16)                  \
  X(std::int32_t, i32)                   \
  X(std::uint32_t, u32)                  \
  X(std::int64_t, i64)                   \
  X(std::uint64_t, u64)

namespace elements {

// An element type as a run-time value.
enum class Type : unsigned char {
#define TOOLBOX_ELEMENT_TAG(T, tag) tag,
  TOOLBOX_FOR_EACH_ELEMENT_TYPE(TOOLBOX_ELEMENT_TAG)
#undef TOOLBOX_ELEMENT_TAG
};

#define TOOLBOX_ELEMENT_TYPE_OF(T, tag) \
  constexpr Type typeOf(const T*) { return Type::tag; }
TOOLBOX_FOR_EACH_ELEMENT_TYPE(TOOLBOX_ELEMENT_TYPE_OF)
#undef TOOLBOX_ELEMENT_TYPE_OF

// f(data), with data typed as the elements of type t.
template <class F>
decltype(auto) visit(Type t, const void* data, F&& f) {
  switch (t) {
#define TOOLBOX_ELEMENT_CASE(T, tag) \
  case Type::tag: return f(static_cast<const T*>(data));
    TOOLBOX_FOR_EACH_ELEMENT_TYPE(TOOLBOX_ELEMENT_CASE)
#undef TOOLBOX_ELEMENT_CASE
  }
  return f(static_cast<const double*>(data));
}

}  // namespace elements

#endif
