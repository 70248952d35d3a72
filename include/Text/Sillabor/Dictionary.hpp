// Hyphenation dictionaries in the `hyph_*.dic` format that office suites and
// many other programs read (the files under /usr/share/hyphen), and breaks
// that may change the text around them.
//
//     Dictionary hu = readDictionary("/usr/share/hyphen/hyph_hu_HU.dic");
//     hyphenate(hu, U"asszonnyal");   // {"asz", "szony", "nyal"}
//     breaks(hu, U"asszonnyal")[0];   // at 2: "as|szonnyal" is written "asz" / "szonnyal"
#pragma once

#include "Text/Sillabor/Export.hpp"

#include "Text/Sillabor/Hyphenator.hpp"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Text::Sillabor {

namespace detail {
struct DictionaryRep;
struct DicMinima;
} // namespace detail

/// A place where a word may be broken across lines. `at` counts the
/// characters of the word before the break. A plain break has `from == at ==
/// to` and no text of its own. A break with a replacement ends the line with
/// word[0, from) + `before` and starts the next with `after` + word[to, end):
/// Hungarian "asszonnyal" breaks after "as" as "asz" / "szonnyal" (from 1,
/// at 2, to 2, before "sz"), Catalan "paral·lel" as "paral" / "lel" (the
/// middle dot goes).
struct Break {
    std::size_t at = 0;
    std::size_t from = 0;
    std::size_t to = 0;
    std::u32string before;
    std::u32string after;

    bool plain() const noexcept {
        return from == at && to == at && before.empty() && after.empty();
    }
    friend bool operator==(const Break&, const Break&) = default;
};

/// A dictionary read from a `.dic` file: its minima, one or two levels of
/// patterns (the first finding compound boundaries), the breaks with
/// replacements, and the characters beside which no break goes. Immutable;
/// copies share the tables; any number of threads may use one at once.
///
/// Words are looked up as they are given, like the files' other readers do:
/// their patterns are lower case, so lower the word first. A character the
/// file's character set cannot hold matches no pattern.
class SILLABOR_API Dictionary {
public:
    /// The minima the file sets (0 where it sets none: 2 is then used for the
    /// word's ends).
    int leftMin() const noexcept;
    int rightMin() const noexcept;
    int compoundLeftMin() const noexcept;
    int compoundRightMin() const noexcept;
    /// The character set line 1 names ("UTF-8", "ISO8859-2", ...), as
    /// written there. A name this reader does not know is read as an 8-bit
    /// set whose bytes above 0x7F stand for U+0080..U+00FF (ISO 8859-1), as
    /// `knownEncoding` tells.
    const std::string& encoding() const noexcept;
    bool knownEncoding() const noexcept;

    /// Where `word` may break, in ascending order of `at`.
    std::vector<Break> breaks(std::u32string_view word) const;
    /// As `breaks(word)`, with `leftMin` and `rightMin` characters kept
    /// whole at the word's ends in place of the file's minima (those of the
    /// parts of a compound stay the file's), for programs that let their
    /// users choose. Throws std::invalid_argument for a minimum below 1.
    std::vector<Break> breaks(std::u32string_view word, int leftMin, int rightMin) const;
    /// As the one above, into `out` (cleared first): a loop that keeps one
    /// vector from word to word allocates nothing for plain breaks.
    void breaks(std::u32string_view word, int leftMin, int rightMin, std::vector<Break>& out) const;
    /// Where `word`, as written, may break, looked up on its form under
    /// `normalise` (a hyphenator's `hyphenatorChars`, say, which lowers
    /// capitals: the files' patterns are lower case). Positions are the
    /// word's, so `applyBreaks(word, ...)` cuts the word as written.
    std::vector<Break> breaks(std::u32string_view word,
                              const std::function<char32_t(char32_t)>& normalise) const;
    /// As the one above, into `out` (cleared first).
    void breaks(std::u32string_view word, const std::function<char32_t(char32_t)>& normalise,
                std::vector<Break>& out) const;

private:
    friend SILLABOR_API Dictionary parseDictionary(std::string_view bytes);
    explicit Dictionary(std::shared_ptr<const detail::DictionaryRep> rep) : rep_(std::move(rep)) {}
    void breaksWith(std::u32string_view word, const detail::DicMinima& minima,
                    std::vector<Break>& out) const;
    std::shared_ptr<const detail::DictionaryRep> rep_;
};

/// Reads a `.dic` file's bytes as the files' other readers do: every file
/// gives a dictionary (lines that are no pattern or keyword give nothing).
SILLABOR_API Dictionary parseDictionary(std::string_view bytes);
/// Reads a `.dic` file. Throws std::system_error when it cannot be read.
SILLABOR_API Dictionary readDictionary(const std::filesystem::path& file);

/// The breaks of `word` under any hyphenator: a built-in one gives only plain
/// breaks, after each piece that `hyphenate` returns but the last.
SILLABOR_API std::vector<Break> breaks(const Hyphenator& h, std::u32string_view word);
SILLABOR_API std::vector<Break> breaks(const Dictionary& d, std::u32string_view word);

/// The word cut at every break, replacements made: the pieces of "asszonnyal"
/// are "asz", "szony", "nyal". A break that would overlap the one before it
/// is left out.
SILLABOR_API std::vector<std::u32string> hyphenate(const Dictionary& d, std::u32string_view word);

/// `word` cut at `breaks` (ascending, as `breaks` returns them), replacements
/// made: for breaks found on one form of a word (lowered) applied to another
/// (as written). A break that would overlap the one before it is left out.
SILLABOR_API std::vector<std::u32string> applyBreaks(std::u32string_view word,
                                                     std::span<const Break> breaks);

} // namespace Text::Sillabor
