// The inside of a hyphenation dictionary read from a `.dic` file: one or two
// levels of byte patterns, each a matching automaton, the replacement rules
// of non-standard breaks, and the hyphenation of a word in the file's own
// encoding. Both the C++ Dictionary and the libhyphen-compatible library
// run on this.
#pragma once

#include "Text/Sillabor/detail/FlatTrie.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Text::Sillabor::detail {

/// Whether `b` continues a UTF-8 sequence rather than starting one.
constexpr bool isUtf8Continuation(unsigned char b) noexcept {
    return (b & 0xC0) == 0x80;
}

/// An 8-bit character set: the code points of bytes 0x80..0xFF (0 where the
/// set leaves a byte undefined); bytes below 0x80 are ASCII.
struct Codepage {
    std::string_view name;
    std::array<char32_t, 128> upper;
};

/// The 8-bit set called `name` (case, '-', '_' and spaces ignored: "ISO8859-1",
/// "iso-8859-1" and "ISO_8859_1" are one), or null.
const Codepage* findCodepage(std::string_view name) noexcept;

/// A non-standard break: at the break, `cut` characters of the word starting
/// `pos` characters before the break's character (the one after which the line
/// ends, counted as 1) give way to `replacement`, in which '=' marks the line
/// end. Counts are characters: code points in a UTF-8 file, bytes otherwise.
struct DicRule {
    std::string replacement;
    int pos = 0;
    int cut = 0;
    // What the left minimum adds for the break: the characters of the text
    // before the line end beyond its first ("sz=sz" adds 1).
    int leftExtra = 0;
};

/// The minimum lengths that a hyphenation keeps: of the word's first and last
/// pieces, and of the pieces next to a compound boundary.
struct DicMinima {
    int left = 0, right = 0, compoundLeft = 0, compoundRight = 0;
};

/// One level of patterns: a trie over bytes, made into a matching automaton
/// by the same builder as the built-in tries. Unlike a plain Liang matcher, a
/// position of the word takes the digits of the one longest pattern that
/// ends there, not those of every pattern that does: dictionary files are
/// prepared for that reading (each pattern carries the digits of the shorter
/// patterns it contains), and it is the reading that programs using these
/// files have always had.
class DicLevel {
public:
    DicMinima minima;       // as the file sets them for this level
    bool hasMinima = false; // the file named any minimum for this level

    /// Adds a pattern: `letters` (bytes, dots included) and its digits,
    /// `digits[k]` sitting before letters[k] (`digits.size() == letters.size() + 1`).
    /// `ruleGap` is the digit index that carries the rule `rule` (-1: none).
    /// A later pattern with the same letters replaces an earlier one.
    void add(std::string_view letters, const std::uint8_t* digits, int rule, int ruleGap);
    /// Makes the automaton of what `add` gathered; no more patterns may be
    /// added.
    void pack();
    /// The states of the automaton, the root included.
    std::size_t states() const noexcept { return trie_ ? trie_->stateCount() : builder_.size(); }
    /// Whether any byte of `text` occurs in a pattern of this level (the
    /// dots aside): without one, no pattern can put a digit inside it.
    bool mayMatch(std::string_view text) const noexcept {
        if (dotsOnly_) return true;
        for (unsigned char c : text)
            if (classes_[c] != 0 && c != '.' && !(c >= '0' && c <= '9')) return true;
        return false;
    }

    /// Scores `word[0..n)` bracketed by dots, each digit of the word read as
    /// a dot: `gaps[g]` (g in 0..n+2) is raised to each digit that lands
    /// before byte g of ".word.", and `rules[g]` names the rule of the digit
    /// that set `gaps[g]`, or -1 (`rules` may be null). The arrays start at
    /// 0 and -1; `gaps` has room for 16 bytes before it and n + 18 from it.
    void score(const unsigned char* word, std::size_t n, std::uint8_t* gaps,
               std::int32_t* rules) const;

private:
    // A score of the trie carries a digit in its low bits and, on the gap
    // that brings a rule, the rule's number plus one above them. Such a
    // score does not fit a byte, so a level with rules keeps its hit lists,
    // and one without has its hits packed for markGaps.
    static constexpr unsigned ruleShift = 8;

    TrieBuilder builder_; // until pack()
    std::shared_ptr<const FlatTrie> trie_;
    std::array<std::uint32_t, 256> classes_{}; // of each byte; digits read as dots
    std::vector<Score> scores_;                // scratch for add()
    bool dotsOnly_ = false;                    // a pattern of dots alone: it matches any word
};

/// A whole dictionary: the levels in order (the first finds compound
/// boundaries when there are two), the rules, the characters next to which
/// no break goes, and the encoding.
struct DictionaryRep {
    std::string encoding; // as line 1 names it
    bool utf8 = true;     // else an 8-bit set
    const Codepage* codepage = nullptr;
    std::vector<DicLevel> levels;   // one or two
    bool defaultFirstLevel = false; // the first level was made here, not read
    std::vector<DicRule> rules;
    std::vector<std::string> noHyphen;
    DicMinima minima; // the file's, as a caller starts from

    /// What a byte may start or take part in, so that one pass over a word
    /// tells which of the slower steps it needs.
    enum ByteKind : std::uint8_t {
        highByte = 1,       // 0x80 and up: part of a longer UTF-8 character
        noHyphenByte = 2,   // first byte of a NOHYPHEN item (or '-' with a made first level)
        firstLevelByte = 4, // in a pattern of the first of two levels
    };
    std::array<std::uint8_t, 256> byteKinds{};

    /// Parses a `.dic` file. Throws std::invalid_argument naming `fileName`
    /// and the line.
    static DictionaryRep parse(std::string_view bytes, std::string_view fileName);
};

/// Scratch space and results of one hyphenation, reused from word to word.
struct DicWork {
    std::vector<std::uint8_t> gaps;
    std::vector<std::int32_t> gapRules;
    // Per byte of the word: the digit after it (0..9) and its rule (-1: none).
    std::vector<std::uint8_t> value;
    std::vector<std::int32_t> rule;
    std::uint8_t kinds = 0; // the byte kinds of the word last hyphenated, or-ed together
    std::vector<std::uint8_t> noHyphen; // 1 after bytes next to which no break goes
    std::string out;                    // the hyphenated word, being written
    std::vector<std::size_t> starts;    // where each character of `out` begins
};

/// Hyphenates `word` (bytes in the dictionary's encoding) with `minima`:
/// fills `work.value`, and `work.rule` when the dictionary has rules, for
/// each byte, and `work.kinds`. A break goes after byte i when `value[i]` is
/// odd.
void hyphenateBytes(const DictionaryRep& d, std::string_view word, const DicMinima& minima,
                    DicWork& work);

/// Marks the bytes after which no break may go because of the characters
/// the file forbids breaking beside (NOHYPHEN; with the first level made
/// here, the hyphen too): the byte before each such item and its last byte.
/// `work` holds `word`'s hyphenation. Returns false, leaving `work.noHyphen`
/// as it was, when the word holds none of them.
bool markNoHyphen(const DictionaryRep& d, std::string_view word, DicWork& work);

} // namespace Text::Sillabor::detail
