#include "energy/values.h"

namespace energy {

namespace {

// Calls f(const T* data) with the data typed as its element type.
template <class F>
auto visit(Values v, F&& f) {
  switch (v.type) {
    case ElementType::f32: return f(static_cast<const float*>(v.data));
    case ElementType::i8: return f(static_cast<const std::int8_t*>(v.data));
    case ElementType::u8: return f(static_cast<const std::uint8_t*>(v.data));
    case ElementType::i16: return f(static_cast<const std::int16_t*>(v.data));
    case ElementType::u16: return f(static_cast<const std::uint16_t*>(v.data));
    case ElementType::i32: return f(static_cast<const std::int32_t*>(v.data));
    case ElementType::u32: return f(static_cast<const std::uint32_t*>(v.data));
    case ElementType::i64: return f(static_cast<const std::int64_t*>(v.data));
    case ElementType::u64: return f(static_cast<const std::uint64_t*>(v.data));
    case ElementType::f64: break;
  }
  return f(static_cast<const double*>(v.data));
}

}  // namespace

double valueAt(Values v, std::int64_t k) {
  return visit(v, [k](const auto* d) { return static_cast<double>(d[k]); });
}

void toDoubles(Values v, std::int64_t from, std::int64_t count, double* out) {
  visit(v, [=](const auto* d) {
    for (std::int64_t t = 0; t < count; ++t) out[t] = static_cast<double>(d[from + t]);
  });
}

}  // namespace energy
