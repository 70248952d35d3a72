#include "Text/Sillabor/Hyphenator.hpp"

#include "Text/Sillabor/detail/Breaks.hpp"
#include "Text/Sillabor/detail/ExceptionsRep.hpp"
#include "Text/Sillabor/detail/Loader.hpp"
#include "Text/Sillabor/detail/PatternsRep.hpp"
#include "Text/Sillabor/detail/Text.hpp"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace Text::Sillabor {

namespace {

constexpr std::size_t unbounded = std::numeric_limits<std::size_t>::max();

// n < lm + rm, without overflow for any minima.
bool shorterThanMinima(std::size_t n, std::ptrdiff_t lm, std::ptrdiff_t rm) {
    std::ptrdiff_t sum = 0;
    if (__builtin_add_overflow(lm, rm, &sum)) return lm > 0; // beyond any length, or below zero
    return sum > 0 && n < static_cast<std::size_t>(sum);
}

// n - lm - rm + 1, for n >= lm + rm, saturated at `unbounded`.
std::size_t gapsAllowed(std::size_t n, std::ptrdiff_t lm, std::ptrdiff_t rm) {
    std::ptrdiff_t sum = 0;
    if (__builtin_add_overflow(lm, rm, &sum)) return unbounded; // a sum below the smallest value
    std::size_t out = 0;
    if (sum >= 0) return n - static_cast<std::size_t>(sum) + 1;
    const std::size_t magnitude = static_cast<std::size_t>(-(sum + 1)) + 1;
    if (__builtin_add_overflow(n, magnitude, &out) || out == unbounded) return unbounded;
    return out + 1;
}

bool odd(Score s) noexcept {
    return s % 2 != 0;
}

// The breaks for raw scores `s` of a word of n characters: clip the scores to
// the minima (T: max(lm, 0) zeros, then s from that index on, at most
// n - lm - rm + 1 elements of it), and break after character i wherever
// T[i + 1] is odd. Where T runs out, the rest of the word is the last piece.
std::size_t breaksFromScores(std::span<const Score> s, std::size_t n, std::ptrdiff_t lm,
                             std::ptrdiff_t rm, std::u32string_view word, std::size_t* breaks) {
    const std::size_t zeros = lm > 0 ? static_cast<std::size_t>(lm) : 0;
    const std::size_t available = s.size() > zeros ? s.size() - zeros : 0;
    const std::size_t taken = std::min(available, gapsAllowed(n, lm, rm));
    if (zeros == 0 && taken == 0)
        throw std::invalid_argument("Malformed hyphenation score for " + detail::toUtf8(word));
    // T[j] is s[j] for zeros <= j < zeros + taken; only j <= n is ever read.
    const std::size_t from = std::max<std::size_t>(zeros, 1);
    const std::size_t to =
        zeros + std::min(taken, n + 1); // exclusive, no overflow: taken <= s.size()
    std::size_t count = 0;
    for (std::size_t j = from; j < to && j <= n; ++j)
        if (odd(s[j])) breaks[count++] = j - 1;
    return count;
}

} // namespace

namespace detail {

std::span<const std::size_t> findBreaks(const Hyphenator& h, std::u32string_view word,
                                        Workspace& ws) {
    const std::size_t n = word.size();
    const std::ptrdiff_t lm = h.hyphenatorLeftMin;
    const std::ptrdiff_t rm = h.hyphenatorRightMin;
    if (n == 0 || shorterThanMinima(n, lm, rm)) return {};

    char32_t* normal = ws.word.get(n);
    const auto& chars = h.hyphenatorChars;
    if (const auto* loaded = chars.target<CharNormaliser>()) {
        // The loader's normaliser: look the characters up in its map directly.
        const CharMap& map = loaded->map();
        for (std::size_t i = 0; i < n; ++i)
            normal[i] = map(word[i]);
    } else {
        if (!chars) throw std::bad_function_call();
        for (std::size_t i = 0; i < n; ++i)
            normal[i] = chars(word[i]);
    }
    const std::u32string_view normalised(normal, n);

    std::size_t* breaks = ws.breaks.get(n);
    if (const Scores* listed = findException(h.hyphenatorExceptions, normalised))
        return {breaks, breaksFromScores(*listed, n, lm, rm, word, breaks)};

    const FlatTrie& trie = packedTrie(h.hyphenatorPatterns);
    if (lm < 1 || rm < 1 || trie.rootScored()) {
        // Minima that let the gap before the first or after the last character
        // through, or a pattern without letters, need the complete score list.
        const Scores s = lookupPattern(normalised, h.hyphenatorPatterns);
        return {breaks, breaksFromScores(s, n, lm, rm, word, breaks)};
    }

    // The usual case: score the bracketed word in one pass. Only gaps between
    // two characters of the word are read, where the raw score is at least 0,
    // so the positive scores are all that matters.
    const std::size_t m = n + 2;
    std::uint32_t* cls = ws.cls.get(m);
    cls[0] = cls[m - 1] = trie.classOf(U'.');
    for (std::size_t i = 0; i < n; ++i)
        cls[i + 1] = trie.classOf(normal[i]);
    Score* gaps = ws.gaps.get(m + 1);
    std::fill(gaps, gaps + m + 1, Score{0});
    trie.scoreGaps(cls, m, gaps);
    // A break may follow character i for lm - 1 <= i <= n - rm - 1; the gap
    // after character i is gap i + 2 of the bracketed word.
    std::size_t count = 0;
    const std::size_t last = n - static_cast<std::size_t>(rm) - 1;
    for (std::size_t i = static_cast<std::size_t>(lm) - 1; i <= last; ++i)
        if (odd(gaps[i + 2])) breaks[count++] = i;
    return {breaks, count};
}

} // namespace detail

std::vector<std::u32string> hyphenate(const Hyphenator& h, std::u32string_view word) {
    detail::Workspace ws;
    const std::span<const std::size_t> breaks = detail::findBreaks(h, word, ws);
    std::vector<std::u32string> pieces;
    pieces.reserve(breaks.size() + 1);
    std::size_t start = 0;
    for (std::size_t b : breaks) {
        pieces.emplace_back(word.substr(start, b + 1 - start));
        start = b + 1;
    }
    pieces.emplace_back(word.substr(start));
    return pieces;
}

} // namespace Text::Sillabor
