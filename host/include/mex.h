/* The host functions our gateways call, declared with the C ABI of MATLAB's
 * separate-complex MEX interface with 32-bit array dimensions.
 *
 * Only these functions are declared; a gateway that needs another one must add
 * it here, and the link stubs, the test host and the Octave adapter with it.
 * Building with Octave's own header (mkoctfile --mex) uses that header instead:
 * every name used below exists there with a compatible meaning. */
#ifndef TOOLBOX_HOST_MEX_H
#define TOOLBOX_HOST_MEX_H

#include <stddef.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct mxArray_tag mxArray;

/* Array classes, numbered as the host numbers them. */
typedef enum {
  mxUNKNOWN_CLASS = 0,
  mxCELL_CLASS,
  mxSTRUCT_CLASS,
  mxLOGICAL_CLASS,
  mxCHAR_CLASS,
  mxVOID_CLASS,
  mxDOUBLE_CLASS,
  mxSINGLE_CLASS,
  mxINT8_CLASS,
  mxUINT8_CLASS,
  mxINT16_CLASS,
  mxUINT16_CLASS,
  mxINT32_CLASS,
  mxUINT32_CLASS,
  mxINT64_CLASS,
  mxUINT64_CLASS,
  mxFUNCTION_CLASS
} mxClassID;

typedef enum { mxREAL = 0, mxCOMPLEX = 1 } mxComplexity;

/* Logical arrays hold one byte per element. */
typedef unsigned char mxLogical;

#if defined(__GNUC__)
#define MEX_NORETURN __attribute__((noreturn))
#else
#define MEX_NORETURN
#endif

#if defined(_WIN32)
#define MEX_EXPORT __declspec(dllexport)
#else
#define MEX_EXPORT __attribute__((visibility("default")))
#endif

/* Array access. Sizes come back as size_t; the host keeps them below 2^31. */
double *mxGetPr(const mxArray *a);  /* real data of a double array */
void *mxGetData(const mxArray *a);  /* real data of any numeric or logical array */
size_t mxGetM(const mxArray *a);
size_t mxGetN(const mxArray *a);
size_t mxGetNumberOfElements(const mxArray *a);
size_t mxGetElementSize(const mxArray *a);
double mxGetScalar(const mxArray *a); /* first element, converted to double */
mxClassID mxGetClassID(const mxArray *a);
bool mxIsDouble(const mxArray *a);
bool mxIsSparse(const mxArray *a);
bool mxIsComplex(const mxArray *a);
bool mxIsLogical(const mxArray *a);
bool mxIsNumeric(const mxArray *a);

/* A new m-by-n double matrix, every element 0.0. The 32-bit-dimension entry
 * point carries the _700 suffix; gateways call it by its plain name. */
mxArray *mxCreateDoubleMatrix_700(int m, int n, mxComplexity flag);
#define mxCreateDoubleMatrix mxCreateDoubleMatrix_700

/* Scratch memory, zeroed; the host never returns null (it ends the call). */
void *mxCalloc(size_t count, size_t size);
void mxFree(void *ptr);

/* Raise an error in the caller; neither function returns. */
void mexErrMsgTxt(const char *message) MEX_NORETURN;
void mexErrMsgIdAndTxt(const char *id, const char *format, ...) MEX_NORETURN;

/* The one entry point of every deliverable. */
MEX_EXPORT void mexFunction(int nlhs, mxArray *plhs[], int nrhs,
                            const mxArray *prhs[]);

#ifdef __cplusplus
}
#endif

#endif
