// The character normaliser that a language's character file describes, as a
// value: a table that the hyphenators read directly, where any other
// normaliser is called once a character.
//
//     Hyphenator h{CharacterMap::fromText(U"aA\nbB\n"), patterns, exceptions, 2, 2};
#pragma once

#include "Text/Sillabor/Export.hpp"

#include <functional>
#include <memory>
#include <string_view>

namespace Text::Sillabor {

namespace detail {
class CharMap;
template <class>
class Deferred;
struct CharacterMapAccess;
} // namespace detail

/// Maps a word's characters to the forms patterns and exceptions use, by a
/// table. Put in a Hyphenator's `hyphenatorChars`, it is read as a table:
/// the fastest normaliser, and the one the ready-made hyphenators hold. (A
/// function that wraps it is called once a character, as any function is.)
/// An immutable value: copies share the table, and any number of threads
/// may use one at once.
class SILLABOR_API CharacterMap {
public:
    /// The identity: every character maps to itself.
    CharacterMap() noexcept;

    /// The map of a character file's text: each line is a small letter
    /// followed by its upper-case form, and that form maps to the letter (a
    /// later line wins). A form of several characters ("ßSS") maps nothing,
    /// since each of them is the capital of some other letter. Every
    /// character no line maps maps to itself.
    static CharacterMap fromText(std::u32string_view text);

    /// A map made by `builder` on its first use, once; copies share it.
    /// Threads that race for the first use wait for one build, and a builder
    /// that throws makes every use throw the same exception.
    static CharacterMap deferred(std::function<CharacterMap()> builder);

    /// The form of `c`.
    char32_t operator()(char32_t c) const;

private:
    friend struct detail::CharacterMapAccess;
    using Cell = detail::Deferred<std::shared_ptr<const detail::CharMap>>;
    explicit CharacterMap(std::shared_ptr<const Cell> cell) noexcept;
    std::shared_ptr<const Cell> cell_; // null for the identity
};

} // namespace Text::Sillabor
