// The portable copies: plain loops over the runs, for any processor.
#include "blocks/kernels.h"

namespace blocks::kernels::scalar {

void cut(const double* img, double* blk, const Shape& s, bool) {
  for (std::ptrdiff_t r = 0; r < s.count; ++r)
    for (std::ptrdiff_t b = 0; b < s.n2; ++b) {
      const double* from = img + r * s.n1 + b * s.N1;
      double* to = blk + (r * s.n2 + b) * s.n1;
      moveRun(from, to, s.n1);
    }
}

void paste(const double* blk, double* img, const Shape& s, bool) {
  for (std::ptrdiff_t r = 0; r < s.count; ++r)
    for (std::ptrdiff_t b = 0; b < s.n2; ++b) {
      const double* from = blk + (r * s.n2 + b) * s.n1;
      double* to = img + r * s.n1 + b * s.N1;
      moveRun(from, to, s.n1);
    }
  for (std::ptrdiff_t b = 0; b < s.n2; ++b) {
    if (s.headLen > 0) moveRun(s.head + b * s.n1, img + b * s.N1 - s.headLen, s.headLen);
    if (s.tailLen > 0) moveRun(s.tail + b * s.n1, img + b * s.N1 + s.count * s.n1, s.tailLen);
  }
}

}  // namespace blocks::kernels::scalar

blocks::kernels::Set blocks::kernels::entries(cpu::IsaTag<cpu::Isa::scalar>) {
  return {scalar::cut, scalar::paste};
}
