// Break positions without allocation, for hot loops: a BreakFinder keeps its
// scratch space from word to word, so that after the first few words it
// touches the heap no more.
//
//     BreakFinder find;
//     for (std::u32string_view word : words)
//         for (std::size_t i : find(english_US, word)) ...  // a break after character i
#pragma once

#include "Text/Sillabor/Export.hpp"

#include "Text/Sillabor/Hyphenator.hpp"

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

namespace Text::Sillabor {

namespace detail {
struct Workspace;
} // namespace detail

/// Finds where `hyphenate` would cut a word, as positions: i is in the result
/// when a piece ends with character i. One finder serves one thread at a time.
///
/// A finder remembers the packed patterns and the exceptions of the last
/// hyphenator it served, so that the next word with the same ones skips
/// finding them; it holds a reference to them until it serves a hyphenator
/// with others, or is destroyed. (Patterns fresh from their text are read as
/// they are for the first words, and remembered once they are packed.)
class SILLABOR_API BreakFinder {
public:
    BreakFinder();
    BreakFinder(BreakFinder&&) noexcept;
    BreakFinder& operator=(BreakFinder&&) noexcept;
    ~BreakFinder();

    /// The break positions of `word`, ascending, valid until the next call.
    /// For the pieces: a piece ends after each position, and one more piece
    /// runs to the end of the word. Throws as `hyphenate` does.
    std::span<const std::size_t> operator()(const Hyphenator& h, std::u32string_view word);

private:
    std::unique_ptr<detail::Workspace> workspace_;
};

} // namespace Text::Sillabor
