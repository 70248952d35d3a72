// SILLABOR_API marks what the library exports: a shared build hides every
// other symbol.
#pragma once

#if defined(_WIN32) && defined(SILLABOR_SHARED)
#if defined(SILLABOR_BUILDING)
#define SILLABOR_API __declspec(dllexport)
#else
#define SILLABOR_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define SILLABOR_API __attribute__((visibility("default")))
#else
#define SILLABOR_API
#endif
