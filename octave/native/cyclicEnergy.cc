// ell = cyclicEnergy(p, rM, iM, m, n, np), in GNU Octave.
// The native Octave function: the same checks, messages and results as the
// MEX file, without the MEX interface in between.
#include "energy/gateway.h"
#include "host/octave_host.h"
#include "cyclicEnergy_help.h"  // kHelp, from the help file

DEFUN_DLD(cyclicEnergy, args, nargout, kHelp) {
  gateway::OctaveHost h("cyclicEnergy", args, nargout);
  energy::cyclicEnergyGateway(h);
  return h.result();
}
