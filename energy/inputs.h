// Reading the data inputs of cyclicEnergy on the gateway side.
#ifndef TOOLBOX_ENERGY_INPUTS_H
#define TOOLBOX_ENERGY_INPUTS_H

#include "energy/values.h"
#include "host/gateway.h"

namespace energy {

// The real data of a full numeric or logical input, tagged with its element
// type (logical as uint8); other inputs end the call.
inline Values readValues(const mxArray* a, const char* fn, const char* name) {
  gateway::requireFullNumeric(a, fn, name);
  Values v{nullptr, elements::Type::f64};
  gateway::withRealData(a, [&](const auto* data) { v = Values::of(data); });
  return v;
}

}  // namespace energy

#endif
