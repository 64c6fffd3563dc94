/* Link stub for libmex (see mx.c). */
#include <stdlib.h>

#include "mex.h"

void mexErrMsgTxt(const char *message) { (void)message; abort(); }
void mexErrMsgIdAndTxt(const char *id, const char *format, ...) {
  (void)id; (void)format;
  abort();
}
