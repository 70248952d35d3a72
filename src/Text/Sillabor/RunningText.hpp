// Hyphenating running text: UTF-8 in, UTF-8 out, with a separator (such as
// the soft hyphen U+00AD) at every break of every word, and everything else
// copied byte for byte.
//
//     hyphenateText(english_US, WordCharacters::of(Language::English_US),
//                   "Hyphenation, typesetting.", "-");
//     // "Hy-phen-ation, type-set-ting."
#pragma once

#include "Text/Sillabor/Export.hpp"

#include "Text/Sillabor/Hyphenator.hpp"
#include "Text/Sillabor/Language.hpp"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace Text::Sillabor {

namespace detail {
class CodeSet;
struct TextState;
} // namespace detail

/// The characters that words are made of. Cheap to copy.
class SILLABOR_API WordCharacters {
public:
    /// The characters that `language`'s character file lists (small and
    /// capital letters, marks), decoded on first use.
    static WordCharacters of(Language language);
    /// Exactly the characters of `letters`.
    explicit WordCharacters(std::u32string_view letters);
    bool contains(char32_t c) const noexcept;

private:
    WordCharacters() = default;
    std::shared_ptr<const detail::CodeSet> set_;
};

/// Copies a UTF-8 stream, fed in pieces of any size, and inserts `separator`
/// at every break of every word: a word is a maximal run of word characters,
/// hyphenated with `hyphenator`. A word longer than `longestWord` characters
/// is copied as it is. Feeding the text in pieces gives the same output as
/// feeding it whole, and the memory used does not grow with the text.
class SILLABOR_API TextHyphenator {
public:
    TextHyphenator(Hyphenator hyphenator, WordCharacters letters, std::string separator,
                   std::size_t longestWord = 1024);
    TextHyphenator(TextHyphenator&&) noexcept;
    TextHyphenator& operator=(TextHyphenator&&) noexcept;
    ~TextHyphenator();

    /// Takes the next bytes and appends the output they complete to `out`. A
    /// word, or a UTF-8 sequence, that the bytes end in the middle of waits
    /// for the next call. Throws InvalidUtf8, with the offset counted from the
    /// start of the stream, for bytes that are not UTF-8; `out` then holds the
    /// output for every byte before the bad one.
    void feed(std::string_view bytes, std::string& out);

    /// Ends the stream: appends what is still waiting to `out`. Throws
    /// InvalidUtf8 if the stream ends inside a UTF-8 sequence.
    void finish(std::string& out);

    /// The number of bytes fed so far.
    std::uint64_t consumed() const noexcept;

private:
    std::unique_ptr<detail::TextState> state_;
};

/// The whole of `text` through a TextHyphenator.
SILLABOR_API std::string hyphenateText(const Hyphenator& hyphenator, const WordCharacters& letters,
                                       std::string_view text, std::string_view separator);

} // namespace Text::Sillabor
