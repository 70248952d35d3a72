// Whether the build embeds the pinned hyph-utf8 data, which tests that expect
// its breaks need. A build with other data (SILLABOR_DATA_VERIFY=OFF) or with
// some languages only (SILLABOR_LANGUAGES) skips them, saying why.
#pragma once

#include <gtest/gtest.h>

#ifndef SILLABOR_DATA_PINNED
#error "the test targets define SILLABOR_DATA_PINNED (tests/CMakeLists.txt)"
#endif

#define SILLABOR_NEEDS_PINNED_DATA()                                                               \
    do {                                                                                           \
        if (!SILLABOR_DATA_PINNED)                                                                 \
            GTEST_SKIP() << "needs the pinned data; this build embeds other data or some "         \
                            "languages only";                                                      \
    } while (false)
