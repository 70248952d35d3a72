// Exception dictionaries: whole words whose break points are fixed in advance
// and override the patterns.
//
// An entry is the word itself with a hyphen-minus at every permitted break
// ("as-so-ciate"). The dictionary maps the word without its hyphens
// ("associate") to a score list aligned like a pattern's: 1 at every gap the
// entry marks, 0 everywhere else.
//
//     Exceptions d = parseExceptions(U"as-so-ciate\nta-ble\n");
//     lookupException(U"table", d);   // {0,0,1,0,0,0}
//
// An `Exceptions` value is immutable; copying one is O(1), and every operation
// returns a new value. Any number of threads may use the same value at once.
#pragma once

#include "Text/Sillabor/Export.hpp"

#include "Text/Sillabor/Scores.hpp"

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

namespace Text::Sillabor {

namespace detail {
class ExceptionsRep;
struct ExceptionsAccess;
} // namespace detail

/// A dictionary from a word (without hyphens) to its score list.
/// `Exceptions{}` is the empty dictionary.
class SILLABOR_API Exceptions {
public:
    using Map = std::unordered_map<std::u32string, Scores>;

    /// The empty dictionary.
    Exceptions() noexcept = default;

    /// Wraps any map, empty score lists included.
    explicit Exceptions(Map map);

    /// The empty dictionary.
    static Exceptions mempty() noexcept { return {}; }

    /// A dictionary that is built by `builder` when it is first needed, once.
    /// Racing first uses wait for one build; if the builder throws, that use
    /// and every later use of the dictionary throw the same exception.
    static Exceptions deferred(std::function<Exceptions()> builder);

    /// The entries, as a map.
    Map map() const;

    /// The number of words.
    std::size_t size() const;

    /// Same words with the same score lists.
    friend SILLABOR_API bool operator==(const Exceptions& a, const Exceptions& b);

    /// The union: a word on both sides gets `zipMin` of its two lists.
    /// Associative, commutative and idempotent, with `Exceptions{}` as neutral
    /// element.
    friend SILLABOR_API Exceptions operator|(const Exceptions& a, const Exceptions& b);
    Exceptions& operator|=(const Exceptions& other) { return *this = *this | other; }

private:
    explicit Exceptions(std::shared_ptr<const detail::ExceptionsRep> rep) noexcept
        : rep_(std::move(rep)) {}

    std::shared_ptr<const detail::ExceptionsRep> rep_; // null for the empty dictionary
    friend struct detail::ExceptionsAccess;
};

/// The score list of an entry: 1 for each gap a hyphen marks, 0 for the
/// others. A hyphen consumes the character after it, so "a--b" gives
/// {0,1,0,0}.
///
///     scoreException(U"ta-ble");   // {0,0,1,0,0,0}
SILLABOR_API Scores scoreException(std::u32string_view entry);

/// `dictionary` with `entry` added under its word (the entry without hyphens).
/// When the word is there already, the two lists combine with `zipMin`: a
/// break stays only where both mark it.
SILLABOR_API Exceptions addException(std::u32string_view entry, const Exceptions& dictionary);

/// The dictionary of an exception text, one entry per line (split at line
/// feeds only, nothing trimmed, empty lines included).
SILLABOR_API Exceptions parseExceptions(std::u32string_view text);

/// The list stored under `word`, or nothing. The word is used as it is.
SILLABOR_API std::optional<Scores> lookupException(std::u32string_view word,
                                                   const Exceptions& dictionary);

/// Element-wise minimum, as long as the shorter list.
SILLABOR_API Scores zipMin(std::span<const Score> a, std::span<const Score> b);

/// xs[0] | (xs[1] | (... | xs[k-1])); throws std::invalid_argument when empty.
SILLABOR_API Exceptions sconcat(std::span<const Exceptions> xs);
/// The same fold ending in the empty dictionary; an empty sequence gives it.
SILLABOR_API Exceptions mconcat(std::span<const Exceptions> xs);
/// `dictionary` combined with itself n times, which is `dictionary`; throws
/// std::invalid_argument when n < 1.
SILLABOR_API Exceptions stimes(std::ptrdiff_t n, const Exceptions& dictionary);

/// The text form, as 'Exceptions (fromList [("table",[0,0,1,0,0,0])])', in
/// parentheses when `precedence` is 11 or more, followed by `rest`. Entries
/// are listed in ascending order of word.
SILLABOR_API std::string showsPrec(int precedence, const Exceptions& dictionary,
                                   std::string_view rest = {});
/// The text form at precedence 0.
SILLABOR_API std::string show(const Exceptions& dictionary);
/// "[", the text forms at precedence 0 joined by ",", "]", then `rest`.
SILLABOR_API std::string showList(std::span<const Exceptions> dictionaries,
                                  std::string_view rest = {});
/// Writes `show(dictionary)`.
SILLABOR_API std::ostream& operator<<(std::ostream& out, const Exceptions& dictionary);

} // namespace Text::Sillabor
