/* The exact-width unsigned integers as macOS declares them: uint64_t is
   unsigned long long (see stdint-intn.h beside this file). */
#ifndef _BITS_STDINT_UINTN_H
#define _BITS_STDINT_UINTN_H 1

#include <bits/types.h>

typedef __uint8_t uint8_t;
typedef __uint16_t uint16_t;
typedef __uint32_t uint32_t;
__extension__ typedef unsigned long long int uint64_t;

#endif
