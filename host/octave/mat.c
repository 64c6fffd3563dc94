/* Octave adapter, libmat: the plug-ins depend on this library by name but call
 * nothing in it. Test support only, never shipped. */
int octave_adapter_mat(void) { return 1; }
