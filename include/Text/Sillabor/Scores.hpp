// Scores: the vocabulary shared by patterns, exceptions and hyphenators.
//
// A score list is aligned to the gaps of a word: element j belongs to the gap
// just before character j, so a list of n + 1 elements for n characters also
// covers the gap after the last one. An odd score allows a hyphen at its gap,
// an even one (0 included) forbids it.
#pragma once

#include <cstddef>
#include <vector>

namespace Text::Sillabor {

/// The score of one gap.
using Score = std::ptrdiff_t;

/// A score list, one element per gap.
using Scores = std::vector<Score>;

} // namespace Text::Sillabor
