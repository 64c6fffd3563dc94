// X = imgToBlocks(Y, n1, n2, N1, N2, rowSt, colSt), in GNU Octave.
// The native Octave function: the same checks, messages and results as the
// MEX file, without the MEX interface in between.
#include "blocks/gateway.h"
#include "host/octave_host.h"
#include "imgToBlocks_help.h"  // kHelp, from the help file

DEFUN_DLD(imgToBlocks, args, nargout, kHelp) {
  gateway::OctaveHost h("imgToBlocks", args, nargout);
  blocks::imgToBlocksGateway(h);
  return h.result();
}
