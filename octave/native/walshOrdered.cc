// W = walshOrdered(A, ordering), in GNU Octave.
// The native Octave function: the same checks, messages and results as the
// MEX file, without the MEX interface in between.
#include "walsh/gateway.h"
#include "host/octave_host.h"
#include "walshOrdered_help.h"  // kHelp, from the help file

DEFUN_DLD(walshOrdered, args, nargout, kHelp) {
  gateway::OctaveHost h("walshOrdered", args, nargout);
  walsh::walshOrderedGateway(h);
  return h.result();
}
