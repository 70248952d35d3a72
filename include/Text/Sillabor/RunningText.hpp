// Hyphenating running text: UTF-8 in, UTF-8 out, with a separator (such as
// the soft hyphen U+00AD) at every break of every word, and everything else
// copied byte for byte. Words that already hold a soft hyphen or a zero-width
// space, URLs and e-mail addresses are copied as they are, so that running
// the output through again changes nothing.
//
//     hyphenateText(english_US, WordCharacters::of(Language::English_US),
//                   "Hyphenation, typesetting.", "-");
//     // "Hy-phen-ation, type-set-ting."
#pragma once

#include "Text/Sillabor/Export.hpp"

#include "Text/Sillabor/Dictionary.hpp"
#include "Text/Sillabor/Hyphenator.hpp"
#include "Text/Sillabor/Language.hpp"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace Text::Sillabor {

class WordCharacters;

namespace detail {
class CodeClasses;
struct StreamState;
const CodeClasses& classesOf(const WordCharacters& letters) noexcept;
} // namespace detail

/// The characters that words are made of, and which of them are capitals.
/// Cheap to copy.
class SILLABOR_API WordCharacters {
public:
    /// The characters that `language`'s character file lists (small and
    /// capital letters, marks); the upper-case forms on its lines are the
    /// capitals. The file is read on the first call for a language, once a
    /// process (thread-safe); later calls cost a copy of a shared pointer.
    /// Throws std::out_of_range for a value that is no Language.
    static WordCharacters of(Language language);
    /// Exactly the characters of `letters`, none of them a capital.
    explicit WordCharacters(std::u32string_view letters);
    /// The characters of `letters` and `capitals`; those of `capitals` are
    /// the capitals, the others small letters.
    WordCharacters(std::u32string_view letters, std::u32string_view capitals);
    bool contains(char32_t c) const noexcept;
    bool isCapital(char32_t c) const noexcept;

private:
    WordCharacters() = default;
    friend const detail::CodeClasses& detail::classesOf(const WordCharacters&) noexcept;
    std::shared_ptr<const detail::CodeClasses> classes_;
};

/// How running text is hyphenated. The defaults hyphenate every word.
struct TextOptions {
    /// What goes at each break: the soft hyphen unless said otherwise.
    std::string separator = "\u00ad";
    /// Words of fewer characters are copied as they are.
    std::size_t minLength = 0;
    /// Whether words in capitals (two or more capitals, no small letter) are
    /// hyphenated; false copies them as they are.
    bool capitals = true;
    /// Words of more characters are copied as they are.
    std::size_t longestWord = 1024;
    /// In HTML, elements with this class are copied as they are.
    std::string skipClass = "nohyphenate";
    /// Whether text that is not UTF-8 stops the stream (InvalidUtf8) rather
    /// than being copied as it is. By default each ill-formed sequence is
    /// copied unchanged, ends the word it touches, and is counted
    /// (`invalidUtf8()` of the hyphenators).
    bool strictUtf8 = false;
    /// Whether soft hyphens are taken out instead of put in: the text that
    /// would be hyphenated is copied without its soft hyphens (U+00AD, and
    /// in HTML "&shy;", "&#173;" and "&#xAD;"), and no separator is added.
    /// This undoes hyphenation with the soft hyphen, and takes out the
    /// author's soft hyphens too.
    bool removeSoftHyphens = false;
};

/// The ill-formed UTF-8 sequences a stream copied as they were: how many,
/// and the offset of the first in the stream.
struct Utf8Problems {
    std::uint64_t count = 0;
    std::uint64_t firstOffset = 0;
};

/// What TextHyphenator and HtmlHyphenator share: a stream that takes its
/// input in pieces of any size and gives the same output as for the whole,
/// in memory that does not grow with the input. Move-only; one thread at a
/// time.
class SILLABOR_API HyphenatingStream {
public:
    HyphenatingStream(HyphenatingStream&&) noexcept;
    HyphenatingStream& operator=(HyphenatingStream&&) noexcept;
    ~HyphenatingStream();

    /// Takes the next bytes and appends the output they complete to `out`. A
    /// word, or a UTF-8 sequence, that the bytes end in the middle of waits
    /// for the next call. Text that is not UTF-8 is copied as it is (and
    /// counted), unless `TextOptions::strictUtf8`: then it throws
    /// InvalidUtf8, with the offset counted from the start of the stream,
    /// and `out` holds the output for every byte before the bad one.
    void feed(std::string_view bytes, std::string& out);

    /// Ends the stream: appends what is still waiting to `out` (with
    /// `strictUtf8`, throws InvalidUtf8 if the stream ends inside a UTF-8
    /// sequence).
    void finish(std::string& out);

    /// The number of bytes fed so far.
    std::uint64_t consumed() const noexcept;
    /// The ill-formed sequences copied so far.
    Utf8Problems invalidUtf8() const noexcept;

protected:
    explicit HyphenatingStream(std::unique_ptr<detail::StreamState> state) noexcept;

private:
    std::unique_ptr<detail::StreamState> state_;
};

/// Copies a UTF-8 stream, fed in pieces of any size, and inserts the
/// separator at every break of every word: a word is a maximal run of word
/// characters, hyphenated with `hyphenator`. Copied as they are: a word that
/// holds a soft hyphen (U+00AD) or zero-width space (U+200B), whose author
/// has placed its breaks; a URL ("scheme://...", "www....") or e-mail address,
/// to the next white space; and the words the options leave alone.
class SILLABOR_API TextHyphenator : public HyphenatingStream {
public:
    TextHyphenator(Hyphenator hyphenator, WordCharacters letters, TextOptions options = {});
    TextHyphenator(Hyphenator hyphenator, WordCharacters letters, std::string separator,
                   std::size_t longestWord = 1024);
    /// Words broken where `dictionary` says, `language` telling which
    /// characters make words and lowering them for the lookup. Breaks that
    /// replace text (Hungarian "asz-szony") are not marked: a separator
    /// cannot say them.
    TextHyphenator(Dictionary dictionary, Language language, TextOptions options = {});
};

/// The whole of `text` through a TextHyphenator.
SILLABOR_API std::string hyphenateText(const Hyphenator& hyphenator, const WordCharacters& letters,
                                       std::string_view text, std::string_view separator);
SILLABOR_API std::string hyphenateText(const Hyphenator& hyphenator, const WordCharacters& letters,
                                       std::string_view text, const TextOptions& options);

} // namespace Text::Sillabor
