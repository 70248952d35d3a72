// The heart of the library: a word's break positions from its normalised
// characters, the exceptions or the packed automaton, and the minima, with
// scratch space the caller owns. This file's external interface is
// hyphenate (code points), BreakFinder and detail::findBreaks.
#include "Text/Sillabor/Hyphenator.hpp"

#include "Text/Sillabor/Breaks.hpp"
#include "detail/engine/Breaks.hpp"
#include "detail/engine/CharMap.hpp"
#include "detail/engine/PatternsRep.hpp"
#include "detail/exceptions/ExceptionsRep.hpp"
#include "detail/support/Simd.hpp"
#include "detail/support/Text.hpp"

#include <algorithm>
#include <bit>
#include <limits>
#include <optional>
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

// Zeroes `size` bytes, at least 33, 16 at a time (the buffers have room for
// that).
void clearBytes(std::uint8_t* bytes, std::size_t size) noexcept {
#if SILLABOR_SSE2
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes), zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + 16), zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + 32), zero);
    for (std::size_t k = 48; k < size; k += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + k), zero);
#else
    std::fill(bytes, bytes + size, std::uint8_t{0});
#endif
}

// Writes base + k to `out` for each set bit k of `mask`, ascending; returns
// how many.
std::size_t bitPositions(std::uint64_t mask, std::size_t base, std::size_t* out) noexcept {
    std::size_t count = 0;
    for (; mask != 0; mask &= mask - 1)
        out[count++] = base + static_cast<std::size_t>(std::countr_zero(mask));
    return count;
}

// Writes each i in [from, to) with an odd `bytes[i]` to `out`; returns how
// many. Reads up to 15 bytes past `to`.
std::size_t oddPositions(const std::uint8_t* bytes, std::size_t from, std::size_t to,
                         std::size_t* out) noexcept {
    std::size_t count = 0;
#if SILLABOR_SSE2
    // The low bit of each of the 16 bytes from `base`, as a mask.
    auto oddBits = [bytes](std::size_t base) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + base));
        return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_slli_epi16(v, 7)));
    };
    auto emit = [&count, out](std::size_t base, std::uint32_t mask) {
        count += bitPositions(mask, base, out + count);
    };
    std::size_t base = from;
    for (; base + 16 <= to; base += 16)
        emit(base, oddBits(base));
    if (base < to) emit(base, oddBits(base) & ((1u << (to - base)) - 1));
#else
    for (std::size_t i = from; i < to; ++i)
        if (bytes[i] & 1) out[count++] = i;
#endif
    return count;
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

namespace {

// The normaliser of a hyphenator: a CharacterMap's table looked up directly
// (or nothing to look up, for its identity), or any other function called
// through std::function.
struct ByIdentity {
    char32_t operator()(char32_t c) const noexcept { return c; }
};

struct ByMap {
    const CharMap* map;
    char32_t operator()(char32_t c) const noexcept { return (*map)(c); }
};

struct ByFunction {
    const std::function<char32_t(char32_t)>* f;
    char32_t operator()(char32_t c) const { return (*f)(c); }
};

// The class of character i of a word: normalised, then classed; for the
// loader's maps, by a table of classes of normalised Latin-1 characters that
// the map keeps for the trie.
template <class Normalise>
struct ClassAt {
    const FlatTrie* trie;
    Normalise normalise;
    const char32_t* word;
    std::uint32_t operator()(std::size_t i) const { return trie->classOf(normalise(word[i])); }
};
struct LatinClassAt {
    const FlatTrie* trie;
    ByMap normalise;
    const char32_t* word;
    const std::uint32_t* latin;
    std::uint32_t operator()(std::size_t i) const noexcept {
        const char32_t c = word[i];
        return c < 256 ? latin[c] : trie->classOf(normalise(c));
    }
};

// The marks of the word's gaps (see FlatTrie::markGaps), and the mask of its
// odd gaps where FlatTrie::oddGaps applies.
template <class Normalise>
void markWord(const FlatTrie& trie, Normalise normalise, std::u32string_view word,
              std::uint8_t* marks) {
    trie.markGaps(word.size(), ClassAt<Normalise>{&trie, normalise, word.data()}, marks);
}
template <class Normalise>
bool oddGapsOfWord(const FlatTrie& trie, Normalise normalise, std::u32string_view word,
                   std::uint64_t& odd) {
    return trie.oddGaps(word.size(), ClassAt<Normalise>{&trie, normalise, word.data()}, odd);
}
const std::uint32_t* latinClasses(const FlatTrie& trie, ByMap normalise) {
    return normalise.map->latinClasses(trie.id(), [&trie](char32_t c) { return trie.classOf(c); });
}
inline void markWord(const FlatTrie& trie, ByMap normalise, std::u32string_view word,
                     std::uint8_t* marks) {
    if (const std::uint32_t* latin = latinClasses(trie, normalise))
        trie.markGaps(word.size(), LatinClassAt{&trie, normalise, word.data(), latin}, marks);
    else
        markWord<ByMap&>(trie, normalise, word, marks);
}
[[gnu::always_inline]] inline bool oddGapsOfWord(const FlatTrie& trie, ByMap normalise,
                                                 std::u32string_view word, std::uint64_t& odd) {
    if (const std::uint32_t* latin = latinClasses(trie, normalise))
        return trie.oddGaps(word.size(), LatinClassAt{&trie, normalise, word.data(), latin}, odd);
    return oddGapsOfWord<ByMap&>(trie, normalise, word, odd);
}

// The packed trie of the patterns and the table of the exceptions of `h`,
// through the workspace's cache where it keeps one. The trie is null while
// lookups read the nodes of a freshly parsed trie (see ParsedRep), and is
// cached only once it is packed.
[[gnu::noinline]] const FlatTrie* resolveTrie(const Hyphenator& h, TableCache* cache) {
    if (unpaidParse(h.hyphenatorPatterns)) return nullptr;
    const FlatTrie& trie = packedTrie(h.hyphenatorPatterns);
    if (cache) cache->patterns = {PatternsAccess::rep(h.hyphenatorPatterns), &trie};
    return &trie;
}
inline const FlatTrie* trieOf(const Hyphenator& h, Workspace& ws) {
    if (!ws.cache) {
        if (const FlatTrie* trie = packedTrieIfMade(h.hyphenatorPatterns)) return trie;
        return resolveTrie(h, nullptr);
    }
    const Resolved<FlatTrie>& known = ws.cache->patterns;
    if (known.table && PatternsAccess::rep(h.hyphenatorPatterns).get() == known.key.get())
        return known.table;
    return resolveTrie(h, ws.cache.get());
}

[[gnu::noinline]] const TableRep* resolveExceptions(const Hyphenator& h, TableCache& cache) {
    const TableRep* table = ExceptionsAccess::tableRep(h.hyphenatorExceptions);
    cache.exceptions = {ExceptionsAccess::rep(h.hyphenatorExceptions), table};
    return table;
}
inline const TableRep* exceptionsOf(const Hyphenator& h, Workspace& ws) {
    if (!ws.cache) return ExceptionsAccess::tableRep(h.hyphenatorExceptions);
    const Resolved<TableRep>& known = ws.cache->exceptions;
    if (known.key && ExceptionsAccess::rep(h.hyphenatorExceptions).get() == known.key.get())
        return known.table;
    return resolveExceptions(h, *ws.cache);
}

// The word, normalised, in the workspace.
template <class Normalise>
std::u32string_view normalised(std::u32string_view word, Normalise normalise, Workspace& ws) {
    char32_t* out = ws.word.get(word.size());
    for (std::size_t i = 0; i < word.size(); ++i)
        out[i] = normalise(word[i]);
    return {out, word.size()};
}

// The breaks the exceptions give the word, written to `breaks`, if they hold
// it. Out of line: few words get this far.
template <class Normalise>
[[gnu::noinline]] std::optional<std::size_t>
exceptionBreaks(const Hyphenator& h, const TableRep& exceptions, std::u32string_view word,
                Normalise normalise, Workspace& ws, std::size_t* breaks) {
    if (const auto scores = exceptions.find(normalised(word, normalise, ws)))
        return breaksFromScores(*scores, word.size(), h.hyphenatorLeftMin, h.hyphenatorRightMin,
                                word, breaks);
    return std::nullopt;
}

// The breaks from the complete score list: for minima that let the gap
// before the first or after the last character through, a pattern without
// letters, or scores that do not fit in a byte.
template <class Normalise>
[[gnu::noinline]] std::size_t generalBreaks(const Hyphenator& h, std::u32string_view word,
                                            Normalise normalise, Workspace& ws,
                                            std::size_t* breaks) {
    const Scores s = lookupPattern(normalised(word, normalise, ws), h.hyphenatorPatterns);
    return breaksFromScores(s, word.size(), h.hyphenatorLeftMin, h.hyphenatorRightMin, word,
                            breaks);
}

template <class Normalise>
std::span<const std::size_t> breaksOf(const Hyphenator& h, std::u32string_view word,
                                      Normalise normalise, Workspace& ws) {
    const std::size_t n = word.size();
    const std::ptrdiff_t lm = h.hyphenatorLeftMin;
    const std::ptrdiff_t rm = h.hyphenatorRightMin;
    std::size_t* breaks = ws.breaks.get(n);

    // Exceptions first: most words are ruled out by length, first and last
    // character before the word is normalised or hashed.
    if (const TableRep* exceptions = exceptionsOf(h, ws);
        exceptions && exceptions->mayHave(n, normalise(word.front()), normalise(word.back()))) {
        if (const auto count = exceptionBreaks(h, *exceptions, word, normalise, ws, breaks))
            return {breaks, *count};
    }

    const FlatTrie* const packed = trieOf(h, ws);
    if (!packed || lm < 1 || rm < 1 || !packed->packed()) [[unlikely]]
        return {breaks, generalBreaks(h, word, normalise, ws, breaks)};
    const FlatTrie& trie = *packed;

    // The usual case: score the bracketed word in one pass, normalising and
    // classifying each character as the walk reaches it. Only gaps between
    // two characters of the word are read, where the raw score is at least
    // 0, so the positive scores are all that matters.
    // A break may follow character i for lm - 1 <= i <= n - rm - 1; the gap
    // after character i is gap i + 2 of the bracketed word.
    const auto from = static_cast<std::size_t>(lm) - 1;
    const std::size_t to = n - static_cast<std::size_t>(rm);
    // Short words on a trie that has made its rows come back as a mask of
    // odd gaps.
    std::uint64_t odd = 0;
    if (n <= FlatTrie::maskedLength && trie.hasRows() &&
        oddGapsOfWord(trie, normalise, word, odd)) {
        const std::uint64_t mask = (odd >> (from + 2)) & ((std::uint64_t{1} << (to - from)) - 1);
        return {breaks, bitPositions(mask, from, breaks)};
    }
    // The rest as marks in the workspace: room for n + 19 bytes, 16 before
    // them and slack for whole 16-byte steps.
    std::uint8_t* const marks = ws.marks.get(n + 50) + 16;
    clearBytes(marks - 16, n + 35);
    markWord(trie, normalise, word, marks);
#if SILLABOR_SSE2
    if (to - from <= 16) { // one block of 16 gaps: most words
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(marks + 2 + from));
        const auto mask = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_slli_epi16(v, 7))) &
                          ((1u << (to - from)) - 1);
        return {breaks, bitPositions(mask, from, breaks)};
    }
#endif
    return {breaks, oddPositions(marks + 2, from, to, breaks)};
}

} // namespace

std::span<const std::size_t> findBreaks(const Hyphenator& h, std::u32string_view word,
                                        Workspace& ws) {
    if (word.empty() || shorterThanMinima(word.size(), h.hyphenatorLeftMin, h.hyphenatorRightMin))
        return {};
    const auto& chars = h.hyphenatorChars;
    if (const auto* table = chars.target<CharacterMap>()) {
        if (const CharMap* map = CharacterMapAccess::map(*table))
            return breaksOf(h, word, ByMap{map}, ws);
        return breaksOf(h, word, ByIdentity{}, ws);
    }
    if (!chars) throw std::bad_function_call();
    return breaksOf(h, word, ByFunction{&chars}, ws);
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

BreakFinder::BreakFinder() : workspace_(std::make_unique<detail::Workspace>()) {
    workspace_->cache = std::make_unique<detail::TableCache>();
}
BreakFinder::BreakFinder(BreakFinder&&) noexcept = default;
BreakFinder& BreakFinder::operator=(BreakFinder&&) noexcept = default;
BreakFinder::~BreakFinder() = default;

std::span<const std::size_t> BreakFinder::operator()(const Hyphenator& h,
                                                     std::u32string_view word) {
    if (!workspace_) { // moved from
        workspace_ = std::make_unique<detail::Workspace>();
        workspace_->cache = std::make_unique<detail::TableCache>();
    }
    return detail::findBreaks(h, word, *workspace_);
}

} // namespace Text::Sillabor
