// Helpers that keep the tests readable: UTF-8 in and out, pieces joined with
// hyphens, and small random generators.
#pragma once

#include "Text/Sillabor.hpp"

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace sillabor_test {

using namespace Text::Sillabor;

/// UTF-8 for messages: any code point, those that UTF-8 cannot carry as
/// U+FFFD.
inline std::string utf8(std::u32string_view s) {
    std::u32string printable(s);
    for (char32_t& c : printable)
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
    return toUtf8(printable);
}
inline std::u32string u32(std::string_view s) {
    return toUtf32(s);
}

/// The pieces joined by `separator`, as UTF-8: {"hy","phen"} gives "hy-phen".
inline std::string joined(const std::vector<std::u32string>& pieces,
                          std::string_view separator = "-") {
    std::string out;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i != 0) out += separator;
        out += utf8(pieces[i]);
    }
    return out;
}

inline char32_t identity(char32_t c) {
    return c;
}

/// A hyphenator with the identity normaliser.
inline Hyphenator plainHyphenator(std::u32string_view patterns, std::u32string_view exceptions,
                                  std::ptrdiff_t left, std::ptrdiff_t right) {
    return Hyphenator{identity, parsePatterns(patterns), parseExceptions(exceptions), left, right};
}

/// Random strings over a small alphabet, so that patterns and words meet.
class Random {
public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}

    std::size_t below(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(engine_);
    }

    std::u32string word(std::u32string_view alphabet, std::size_t maxLength) {
        std::u32string w(below(maxLength + 1), U' ');
        for (char32_t& c : w)
            c = alphabet[below(alphabet.size())];
        return w;
    }

    /// A pattern: letters with a digit or nothing between them, sometimes
    /// anchored with ".", sometimes malformed (adjacent digits, no letters).
    std::u32string pattern(std::u32string_view letters, std::size_t maxLetters) {
        std::u32string p;
        if (below(6) == 0) p += U'.';
        const std::size_t n = below(maxLetters + 1);
        for (std::size_t i = 0; i <= n; ++i) {
            if (below(3) == 0) p += static_cast<char32_t>(U'0' + below(10));
            if (below(25) == 0) p += static_cast<char32_t>(U'0' + below(10));
            if (i < n) p += letters[below(letters.size())];
        }
        if (below(6) == 0) p += U'.';
        return p;
    }

    std::u32string patternText(std::u32string_view letters, std::size_t lines,
                               std::size_t maxLetters) {
        std::u32string text;
        for (std::size_t i = 0; i < lines; ++i) {
            text += pattern(letters, maxLetters);
            text += U'\n';
        }
        return text;
    }

private:
    std::mt19937 engine_;
};

/// What a streaming hyphenator (TextHyphenator, HtmlHyphenator) makes of
/// `text` fed in pieces of the given sizes, cycling.
template <class Streamer>
std::string streamInPieces(Streamer&& streamer, std::string_view text,
                           const std::vector<std::size_t>& sizes) {
    std::string out;
    std::size_t at = 0;
    for (std::size_t k = 0; at < text.size(); ++k) {
        const std::size_t n = std::min(sizes[k % sizes.size()], text.size() - at);
        streamer.feed(text.substr(at, n), out);
        at += n;
    }
    streamer.finish(out);
    return out;
}

} // namespace sillabor_test
