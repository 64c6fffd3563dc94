/* Link stub for libmx: defines the host functions a deliverable imports so the
 * linker records the dependency. Never loaded; the real host provides them. */
#include <stdlib.h>

#include "mex.h"

double *mxGetPr(const mxArray *a) { (void)a; abort(); }
void *mxGetData(const mxArray *a) { (void)a; abort(); }
size_t mxGetM(const mxArray *a) { (void)a; abort(); }
size_t mxGetN(const mxArray *a) { (void)a; abort(); }
size_t mxGetNumberOfElements(const mxArray *a) { (void)a; abort(); }
size_t mxGetElementSize(const mxArray *a) { (void)a; abort(); }
double mxGetScalar(const mxArray *a) { (void)a; abort(); }
mxClassID mxGetClassID(const mxArray *a) { (void)a; abort(); }
bool mxIsDouble(const mxArray *a) { (void)a; abort(); }
bool mxIsSparse(const mxArray *a) { (void)a; abort(); }
bool mxIsComplex(const mxArray *a) { (void)a; abort(); }
bool mxIsLogical(const mxArray *a) { (void)a; abort(); }
bool mxIsNumeric(const mxArray *a) { (void)a; abort(); }
mxArray *mxCreateDoubleMatrix_700(int m, int n, mxComplexity flag) {
  (void)m; (void)n; (void)flag;
  abort();
}
void *mxCalloc(size_t count, size_t size) { (void)count; (void)size; abort(); }
void mxFree(void *ptr) { (void)ptr; abort(); }
