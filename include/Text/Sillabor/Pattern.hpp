// Pattern tries: one language's hyphenation patterns, and the scoring of a
// word against them.
//
// A pattern is a short run of letters with single digits between them, such
// as "hy3ph" or ".ach4"; each digit scores the gap at its place. Scoring a word
// finds every pattern that occurs in it (a leading or trailing "." anchors a
// pattern to the word's start or end) and keeps, for every gap, the highest
// score any occurrence puts there.
//
//     Patterns t = parsePatterns(U"hy3ph\nhe2n\nhen5at\nhena4\n1na\nn2at\n1tio\n2io\no2n\n");
//     lookupPattern(U"hyphenation", t);   // {0,0,3,0,0,2,5,4,2,0,2}
//
// A `Patterns` value is an immutable node of the trie (the root stands for the
// whole trie). Copying one is O(1); every operation returns a new value and
// shares the unchanged parts of its inputs. Any number of threads may use the
// same value at once.
#pragma once

#include "Text/Sillabor/Export.hpp"

#include "Text/Sillabor/Scores.hpp"

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Text::Sillabor {

namespace detail {
class PatternsRep;
struct PatternsAccess;
} // namespace detail

/// A node of a pattern trie: a score list and a map from character code to
/// child node. `Patterns{}` is the empty trie.
class SILLABOR_API Patterns {
public:
    /// The empty trie: no scores, no children.
    Patterns() noexcept = default;

    /// A node with the given score list and children.
    Patterns(Scores scores, std::map<char32_t, Patterns> children);

    /// The empty trie.
    static Patterns mempty() noexcept { return {}; }

    /// A trie that is built by `builder` when it is first needed, once. Racing
    /// first uses wait for one build; if the builder throws, that use and
    /// every later use of the trie throw the same exception.
    static Patterns deferred(std::function<Patterns()> builder);

    /// The score list of this node: the scores of the pattern whose letters
    /// spell the path to it, or empty when no pattern ends here.
    Scores scores() const;

    /// The children, by character code.
    std::map<char32_t, Patterns> children() const;

    /// The child reached by `c`, if any.
    std::optional<Patterns> child(char32_t c) const;

    /// Structural equality: the same score lists at the same paths.
    friend SILLABOR_API bool operator==(const Patterns& a, const Patterns& b);

    /// The merge: score lists combine by element-wise maximum (`zipMax`) and
    /// children by character, recursively. Associative, commutative and
    /// idempotent, with `Patterns{}` as neutral element.
    friend SILLABOR_API Patterns operator|(const Patterns& a, const Patterns& b);
    Patterns& operator|=(const Patterns& other) { return *this = *this | other; }

private:
    explicit Patterns(std::shared_ptr<const detail::PatternsRep> rep) noexcept
        : rep_(std::move(rep)) {}

    std::shared_ptr<const detail::PatternsRep> rep_; // null for the empty trie
    friend struct detail::PatternsAccess;
};

/// The score list of a pattern string: one score per gap, ASCII digits being
/// the scores and every other character a letter. A digit consumes the
/// character after it, so "a12b" gives {0,1,0,0}.
///
///     scorePattern(U"hy3ph");   // {0,0,3,0,0}
SILLABOR_API Scores scorePattern(std::u32string_view pattern);

/// `trie` with `pattern` inserted: the node its letters lead to gets the
/// pattern's scores, replacing any it had. Only the nodes on that path are
/// rebuilt.
SILLABOR_API Patterns insertPattern(std::u32string_view pattern, const Patterns& trie);

/// The trie of a pattern text, one pattern per line (split at line feeds
/// only, nothing trimmed). When several lines have the same letters, the
/// first of them gives the scores.
SILLABOR_API Patterns parsePatterns(std::u32string_view text);

/// The scores of `word` against `trie`: element j belongs to the gap before
/// character j; n or n + 1 elements for a word of n characters (n + 1 when a
/// pattern anchored at the word's end matched). The word is not normalised.
SILLABOR_API Scores lookupPattern(std::u32string_view word, const Patterns& trie);

/// Element-wise maximum; the longer list's tail follows unchanged.
SILLABOR_API Scores zipMax(std::span<const Score> a, std::span<const Score> b);

/// Splits off the last element: nothing for an empty sequence.
template <class T>
std::optional<std::pair<std::vector<T>, T>> unsnoc(std::vector<T> xs) {
    if (xs.empty()) return std::nullopt;
    T last = std::move(xs.back());
    xs.pop_back();
    return std::pair<std::vector<T>, T>{std::move(xs), std::move(last)};
}

/// xs[0] | (xs[1] | (... | xs[k-1])); throws std::invalid_argument when empty.
SILLABOR_API Patterns sconcat(std::span<const Patterns> xs);
/// The same fold ending in the empty trie; an empty sequence gives it.
SILLABOR_API Patterns mconcat(std::span<const Patterns> xs);
/// `trie` merged with itself n times, which is `trie`; throws
/// std::invalid_argument when n < 1.
SILLABOR_API Patterns stimes(std::ptrdiff_t n, const Patterns& trie);

/// The text form, as "Patterns [0,1,0] (fromList [(97,Patterns ...)])", in
/// parentheses when `precedence` is 11 or more, followed by `rest`.
SILLABOR_API std::string showsPrec(int precedence, const Patterns& trie,
                                   std::string_view rest = {});
/// The text form at precedence 0.
SILLABOR_API std::string show(const Patterns& trie);
/// "[", the text forms at precedence 0 joined by ",", "]", then `rest`.
SILLABOR_API std::string showList(std::span<const Patterns> tries, std::string_view rest = {});
/// Writes `show(trie)`.
SILLABOR_API std::ostream& operator<<(std::ostream& out, const Patterns& trie);

} // namespace Text::Sillabor
