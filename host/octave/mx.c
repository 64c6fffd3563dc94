/* Octave adapter, libmx: lets the shipped Linux plug-ins run inside GNU Octave.
 * Test support only, never shipped.
 *
 * Octave's interpreter library exports the host functions under MATLAB's
 * names, except where MATLAB's 32-bit-dimension interface gives a function a
 * name of its own. Those few are defined here and forwarded to Octave; every
 * other import of a plug-in resolves to Octave directly. Compiled against
 * Octave's own mex.h. */
#include <mex.h>

/* MATLAB's mxCreateDoubleMatrix with 32-bit dimensions; Octave takes mwSize
 * (64 bits) and refuses negative sizes itself. */
mxArray *mxCreateDoubleMatrix_700(int m, int n, mxComplexity flag) {
  return mxCreateDoubleMatrix((mwSize)m, (mwSize)n, flag);
}

/* The host functions the plug-ins may import (tests/check_abi.sh keeps that
 * list) that Octave provides under the same name. Taking their addresses here
 * makes linking this library fail if an Octave release lacks one. */
typedef void (*host_fn)(void);
__attribute__((used)) static const host_fn provided_by_octave[] = {
    (host_fn)mxGetPr,      (host_fn)mxGetData,     (host_fn)mxGetM,
    (host_fn)mxGetN,       (host_fn)mxGetNumberOfElements,
    (host_fn)mxGetElementSize, (host_fn)mxGetScalar, (host_fn)mxGetClassID,
    (host_fn)mxIsDouble,   (host_fn)mxIsSparse,    (host_fn)mxIsComplex,
    (host_fn)mxIsLogical,  (host_fn)mxIsNumeric,   (host_fn)mxCalloc,
    (host_fn)mxFree,       (host_fn)mexErrMsgTxt,  (host_fn)mexErrMsgIdAndTxt,
};
