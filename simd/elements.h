// The element types a host array can hold, for cores that read any numeric or
// logical input and convert each value to double as it is read. Logical arrays
// hold one byte per element and share the uint8_t instantiation.
#ifndef TOOLBOX_SIMD_ELEMENTS_H
#define TOOLBOX_SIMD_ELEMENTS_H

#include <cstdint>

// X(type) for every element type; used for explicit template instantiation.
#define TOOLBOX_FOR_EACH_ELEMENT_TYPE(X) \
  X(double)                              \
  X(float)                               \
  X(std::int8_t)                         \
  X(std::uint8_t)                        \
  X(std::int16_t)                        \
  X(std::uint16_t)                       \
  X(std::int32_t)                        \
  X(std::uint32_t)                       \
  X(std::int64_t)                        \
  X(std::uint64_t)

#endif
