// Hyphenators and word hyphenation: the library's main operation.
//
// A `Hyphenator` gathers everything that depends on the language: a character
// normaliser, the pattern trie, the exception dictionary, and the least number
// of characters to keep before the first break and after the last one.
// `hyphenate` cuts a word into the pieces between which a hyphen may go:
//
//     hyphenate(english_US, U"Typesetting");   // {"Type", "set", "ting"}
//
// The pieces always concatenate to the caller's word, capitals and all.
#pragma once

#include "Text/Sillabor/Export.hpp"

#include "Text/Sillabor/CharacterMap.hpp"
#include "Text/Sillabor/Exception.hpp"
#include "Text/Sillabor/Pattern.hpp"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace Text::Sillabor {

/// Everything `hyphenate` needs for one language. A plain record: build one
/// with its five fields in this order, or copy one and change a field.
struct Hyphenator {
    /// Maps each character of a word to the form the patterns and exceptions
    /// use (for example a capital to its small letter), before lookup. A
    /// CharacterMap here (the identity by default, a language's map in the
    /// ready-made hyphenators) is read as a table; any other function is
    /// called once a character.
    std::function<char32_t(char32_t)> hyphenatorChars = CharacterMap{};
    /// The pattern trie.
    Patterns hyphenatorPatterns;
    /// Whole words with fixed break points; a hit replaces the pattern scores.
    Exceptions hyphenatorExceptions;
    /// Least number of characters before the first break.
    std::ptrdiff_t hyphenatorLeftMin = 0;
    /// Least number of characters after the last break.
    std::ptrdiff_t hyphenatorRightMin = 0;
};

/// Cuts `word` into the pieces between which a hyphen may be inserted.
///
/// The word is normalised with `hyphenatorChars`; its scores come from the
/// exception dictionary if the normalised word is there, else from the
/// patterns. A break falls after every character whose following gap has an
/// odd score, except within the first `hyphenatorLeftMin` and the last
/// `hyphenatorRightMin` characters. The empty word gives one empty piece; a
/// word shorter than the two minima together comes back whole, without any
/// lookup.
///
/// Throws std::invalid_argument with "Malformed hyphenation score for " and
/// the word when the scores leave nothing to cut by (possible only with a
/// left minimum of 0 or less and an exception stored with an empty list), and
/// std::bad_function_call when `hyphenatorChars` is empty.
SILLABOR_API std::vector<std::u32string> hyphenate(const Hyphenator& h, std::u32string_view word);

} // namespace Text::Sillabor
