// The inside of a hyphenation dictionary read from a `.dic` file: one or two
// levels of byte patterns, each a matching automaton, the replacement rules
// of non-standard breaks, and the hyphenation of a word in the file's own
// encoding, as the programs that read these files have always had it. Both
// the C++ Dictionary and the libhyphen-compatible library run on this.
//
// This file's external interface is DictionaryRep::parse, hyphenateBytes,
// markNoHyphen, ruleSpan and countChars.
#pragma once

#include "detail/automaton/TrieBuilder.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
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

/// The rule of a pattern with a non-standard break: `replacement`, in which
/// '=' marks the line end, takes the place of `cut` bytes of the word from
/// the pattern's byte `first` on. Its odd digits on the gaps from byte
/// `first` to byte `first + cut` of the pattern bring it.
struct DicRule {
    std::string replacement;
    int first = 0;  // in the pattern's letters, dots included
    int cut = 0;    // bytes
    int length = 0; // of the pattern's letters
};

/// A non-standard break as a hyphenation found it: the text of rule `rule`
/// takes the place of the `cut` bytes of the word from byte at + 1 - `pos`
/// on, for the break after byte `at`. Where patterns overlap, the text may be
/// one pattern's and the bytes another's, as the files' readers have always
/// paired them.
struct RuleAt {
    std::int32_t rule = -1; // none
    std::int32_t pos = 0;
    std::int32_t cut = 0;
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
    DicMinima minima;                  // as the file sets them for this level
    bool hasMinima = false;            // the file named any minimum for this level
    std::vector<std::string> noHyphen; // the level's NOHYPHEN items

    /// Adds a pattern: `letters` (bytes, dots included) and its digits,
    /// `digits[k]` sitting before letters[k] (`digits.size() == letters.size() + 1`),
    /// and its rule (-1: none), brought by its odd digits from index
    /// `rule.first` to `rule.first + rule.cut`. A later pattern with the
    /// same letters replaces an earlier one.
    void add(std::string_view letters, const std::uint8_t* digits, int rule, const DicRule* r);
    /// Makes the automaton of what `add` gathered; no more patterns may be
    /// added.
    void pack();
    /// The states of the automaton, the root included.
    std::size_t states() const noexcept { return trie_ ? trie_->stateCount() : builder_.size(); }
    /// Whether byte `c` occurs in a pattern of this level (the dots aside):
    /// a word without one has no digit put inside it.
    bool holds(unsigned char c) const noexcept {
        return dotsOnly_ ||
               (classes_[c] != 0 && classes_[c] != classes_[static_cast<unsigned char>('.')]);
    }

    /// Where the rules of a scoring went, on the bracketed word: `gapRule[g]`
    /// is the rule of the odd digit that last raised gap g (-1: a pattern
    /// without one); `startGap[p]` the gap that a rule replacing from byte p
    /// on was last brought to (-1: none), and `startCut[p]` how many bytes the
    /// last rule matched there replaces. Each has n + 3 entries, set to -1,
    /// -1 and 0 before.
    struct RuleMarks {
        std::int32_t* gapRule;
        std::int32_t* startGap;
        std::int32_t* startCut;
    };

    /// Scores `word[0..n)` bracketed by dots, each digit of the word read as
    /// a dot: `gaps[g]` (g in 0..n+2) is raised to each digit that lands
    /// before byte g of ".word.". `gaps` starts at 0, with room for 16 bytes
    /// before it and n + 18 from it. `marks` may be null where `rules` are.
    void score(const unsigned char* word, std::size_t n, std::uint8_t* gaps, const RuleMarks* marks,
               const std::vector<DicRule>& rules) const;

private:
    // A score of the trie carries a digit in its low four bits, whether the
    // digit may bring the pattern's rule in the next, and the rule's number
    // plus one from bit 8 on. A score with a rule does not fit a byte, so a
    // level with rules keeps its hit lists, and one without has its hits
    // packed for markGaps.
    static constexpr unsigned ruleShift = 8;
    static constexpr Score bringsRule = 16;

    // Runs the automaton over ".word." and calls at(j, id) at each position
    // j whose state has hits (id).
    template <class At>
    void walk(const unsigned char* word, std::size_t n, At at) const;

    TrieBuilder builder_; // until pack()
    std::shared_ptr<const FlatTrie> trie_;
    // The hits of each hit id of the trie: the bytes of 16 gaps from gap
    // j + 1 + start on, for a match that ends at byte j, where they fit
    // (and bring no rule); else the id's list (`listed`).
    struct Match {
        alignas(16) std::uint8_t bytes[16];
        std::int32_t start;
        bool listed;
    };
    std::vector<Match> matches_;
    // Where the trie is small enough, its steps as rows (FlatTrie::StepRows),
    // with states numbered below 65,536, and each state's row and hit id: a
    // step is two reads whatever the failures, one of them from this small
    // array, and states without children share their failure state's row.
    struct StateRow {
        std::uint32_t row;
        std::uint32_t hits;
    };
    std::vector<std::uint16_t> rows_;
    std::vector<StateRow> stateRows_;
    std::uint16_t firstRow_ = 0;               // the root's
    std::array<std::uint32_t, 256> classes_{}; // of each byte; digits read as dots
    std::vector<Score> scores_;                // scratch for add()
    bool dotsOnly_ = false;                    // a pattern of dots alone: it matches any word
};

/// A whole dictionary: the levels in order (the first finds compound
/// boundaries when there are two), the rules, the characters next to which
/// no break goes, and the encoding.
struct DictionaryRep {
    std::string encoding;               // as line 1 names it
    bool utf8 = true;                   // else an 8-bit set
    const Codepage* codepage = nullptr; // the 8-bit set; ISO 8859-1 for a name it does not know
    bool knownEncoding = true;          // line 1 names a set this reader knows
    std::vector<DicLevel> levels;       // one or two
    bool defaultFirstLevel = false;     // the first level was made here, not read
    std::vector<DicRule> rules;
    std::vector<std::string> noHyphen; // what markNoHyphen applies
    DicMinima minima;                  // the file's, as a caller starts from

    /// What a byte may start or take part in, so that one pass over a word
    /// tells which of the slower steps it needs.
    enum ByteKind : std::uint8_t {
        highByte = 1,       // 0x80 and up: part of a longer UTF-8 character
        noHyphenByte = 2,   // first byte of a NOHYPHEN item
        firstLevelByte = 4, // in a pattern of the first of two levels
    };
    std::array<std::uint8_t, 256> byteKinds{};

    /// Reads a `.dic` file as its readers always have: the first line names
    /// the character set (any other text is an 8-bit set), and nothing else
    /// makes a file unreadable.
    static DictionaryRep parse(std::string_view bytes);
};

/// Scratch space and results of one hyphenation, reused from word to word.
struct DicWork {
    // Per byte of the word: the digit after it (0..9) and its rule (kept
    // only when the dictionary has rules).
    std::vector<std::uint8_t> value;
    std::vector<RuleAt> rule;
    std::uint8_t kinds = 0; // the byte kinds of the word last hyphenated, or-ed together
    std::vector<std::uint8_t> noHyphen; // 1 after bytes next to which no break goes
    std::string out;                    // the hyphenated word, being written
    std::vector<std::size_t> starts;    // where each character of `out` begins

    // The parts of a compound, each hyphenated on its own, one frame a depth.
    struct Frame {
        std::string prep; // what the parts of the text at this depth are cut from
        std::string part; // the text of the next depth
        std::vector<std::uint8_t> value;
        std::vector<RuleAt> rule;
    };
    std::deque<Frame> frames;
    std::vector<std::uint8_t> gaps;
    std::vector<std::int32_t> ruleMarks; // the three arrays of DicLevel::RuleMarks
};

/// Hyphenates `word` (bytes in the dictionary's encoding) with `minima`:
/// fills `work.value`, and `work.rule` when the dictionary has rules, for
/// each byte, and `work.kinds`. A break goes after byte i when `value[i]` is
/// odd.
void hyphenateBytes(const DictionaryRep& d, std::string_view word, const DicMinima& minima,
                    DicWork& work);

/// Marks the bytes after which no break may go because of the characters
/// the file forbids breaking beside (NOHYPHEN): the byte before each
/// occurrence of an item and its last byte. `work` holds `word`'s
/// hyphenation. Returns false, leaving `work.noHyphen` as it was, when the
/// word holds none of them.
bool markNoHyphen(const DictionaryRep& d, std::string_view word, DicWork& work);

/// The bytes of a word of `wordSize` bytes that the rule at the break after
/// byte `at` replaces: [first, last), cut at the word's end. Empty (first ==
/// last == at + 1) where the rule starts outside the word.
struct ByteSpan {
    std::size_t first, last;
};
ByteSpan ruleSpan(const RuleAt& rule, std::size_t at, std::size_t wordSize) noexcept;

/// The characters of `bytes` as the files' readers count them: UTF-8
/// sequences (or bytes, in an 8-bit file), the ligatures U+FB03 and U+FB04
/// counting two.
int countChars(std::string_view bytes, bool utf8) noexcept;

} // namespace Text::Sillabor::detail
