// W = seqSpectrum(A), in GNU Octave.
// The native Octave function: the same checks, messages and results as the
// MEX file, without the MEX interface in between.
#include "walsh/gateway.h"
#include "host/octave_host.h"
#include "seqSpectrum_help.h"  // kHelp, from the help file

DEFUN_DLD(seqSpectrum, args, nargout, kHelp) {
  gateway::OctaveHost h("seqSpectrum", args, nargout);
  walsh::seqSpectrumGateway(h);
  return h.result();
}
