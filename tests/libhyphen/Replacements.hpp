// What hnj_hyphen_hyphenate2 and hnj_hyphen_hyphenate3 hand back for
// non-standard breaks: the arrays rep (a string or null for each character
// of the word), pos and cut, allocated by the library and freed by the caller.
#pragma once

#include <cstdlib>

namespace sillabor_test {

/// Frees the three arrays of a word of n characters (any of them may be null).
inline void freeReplacements(char** rep, int* pos, int* cut, int n) {
    if (rep)
        for (int i = 0; i < n; ++i)
            std::free(rep[i]);
    std::free(rep);
    std::free(pos);
    std::free(cut);
}

} // namespace sillabor_test
