#include "energy/values.h"

namespace energy {

double valueAt(Values v, std::int64_t k) {
  return elements::visit(v.type, v.data, [k](const auto* d) { return static_cast<double>(d[k]); });
}

void toDoubles(Values v, std::int64_t from, std::int64_t count, double* out) {
  elements::visit(v.type, v.data, [=](const auto* d) {
    for (std::int64_t t = 0; t < count; ++t) out[t] = static_cast<double>(d[from + t]);
  });
}

}  // namespace energy
