// Whether the SSE2 kernels are compiled: where the compiler targets SSE2 and
// the build has not turned them off (-DSILLABOR_SIMD=OFF, with which CI
// builds and tests the scalar code that other machines run). This file's
// external interface is the macro SILLABOR_SSE2, 1 or 0.
#pragma once

#if defined(__SSE2__) && !defined(SILLABOR_NO_SIMD)
#define SILLABOR_SSE2 1
#include <emmintrin.h>
#else
#define SILLABOR_SSE2 0
#endif
