/* The exact-width signed integers as macOS declares them, in place of glibc's
   header of the same name: int64_t is long long, as in the macOS SDK (glibc on
   64-bit processors: long). The macOS cross builds read glibc's headers;
   without this, int64_t would differ from the target's in C++ names, and
   clang cannot mangle arm_neon.h's vector types built on long for an Apple
   target. */
#ifndef _BITS_STDINT_INTN_H
#define _BITS_STDINT_INTN_H 1

#include <bits/types.h>

typedef __int8_t int8_t;
typedef __int16_t int16_t;
typedef __int32_t int32_t;
__extension__ typedef long long int int64_t;

#endif
