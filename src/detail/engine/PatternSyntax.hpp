// The syntax of a pattern: its letters and its scores, read from code points
// or, when the text is ASCII, from bytes.
#pragma once

#include "Text/Sillabor/Scores.hpp"

#include <cstddef>
#include <string>
#include <string_view>

namespace Text::Sillabor::detail {

inline bool isDigit(char32_t c) noexcept {
    return c >= U'0' && c <= U'9';
}

// The scores of a pattern, into a list the caller reuses. Pattern text may
// come as code points or, when it is ASCII, as bytes.
template <class Char>
inline void scoreInto(std::basic_string_view<Char> pattern, Scores& scores) {
    scores.resize(pattern.size() + 1);
    Score* out = scores.data();
    std::size_t i = 0;
    for (;;) {
        if (i >= pattern.size()) {
            *out++ = 0;
            break;
        }
        const char32_t c = static_cast<char32_t>(pattern[i]);
        if (isDigit(c)) {
            *out++ = static_cast<Score>(c - U'0');
            if (i + 1 == pattern.size()) break;
            i += 2; // the character after a digit is skipped, whatever it is
        } else {
            *out++ = 0;
            ++i;
        }
    }
    scores.resize(static_cast<std::size_t>(out - scores.data()));
}

// The letters of a pattern (everything but the ASCII digits), into a string
// the caller reuses.
template <class Char>
inline void lettersInto(std::basic_string_view<Char> pattern, std::u32string& letters) {
    letters.resize(pattern.size());
    char32_t* out = letters.data();
    for (Char ch : pattern) {
        const auto c = static_cast<char32_t>(ch);
        if (!isDigit(c)) *out++ = c;
    }
    letters.resize(static_cast<std::size_t>(out - letters.data()));
}

} // namespace Text::Sillabor::detail
