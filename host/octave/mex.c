/* Octave adapter, libmex: the plug-ins depend on this library by name; every
 * function they take from it (mexErrMsgTxt, mexErrMsgIdAndTxt) is Octave's own.
 * Test support only, never shipped. */
int octave_adapter_mex(void) { return 1; }
