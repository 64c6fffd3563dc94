// ell = cyclicEnergy(p, rM, iM, m, n, np): for each of the m*n cyclic shifts
// of an m-by-n grid, the energy of the field rM + i*iM summed over the
// point-reflected, shifted positions p(1:np), as a 1-by-m*n row.
#include "energy/gateway.h"
#include "host/mex_host.h"

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  gateway::MexHost h{nlhs, plhs, nrhs, prhs};
  energy::cyclicEnergyGateway(h);
}
