// The part of running-text hyphenation that plain text and HTML share: text
// arrives a character at a time (or a run of UTF-8 at a time), is gathered
// into chunks (runs without white space), and each chunk is written out with
// separators at the breaks of its words, or unchanged when it is an address.
#pragma once

#include "Text/Sillabor/Dictionary.hpp"
#include "Text/Sillabor/Hyphenator.hpp"
#include "Text/Sillabor/RunningText.hpp"
#include "detail/automaton/CodeTable.hpp"
#include "detail/engine/Breaks.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Text::Sillabor::detail {

/// What a character is to running text.
enum class CharClass : std::uint8_t {
    Other,     // punctuation, digits, symbols: inside a chunk, between words
    Delimiter, // white space and the characters that cannot be in an address
    Letter,    // a word character without case
    Small,     // a lower-case letter
    Capital,   // an upper-case letter
    Mark,      // a soft hyphen or zero-width space: the author placed the breaks
};

struct OtherClass {
    constexpr CharClass operator()(char32_t) const noexcept { return CharClass::Other; }
};

/// The classes of every code point for one set of word characters.
class CodeClasses {
public:
    /// `letters` are word characters; those in `smalls` or `capitals` also
    /// have that case.
    CodeClasses(std::u32string_view letters, std::u32string_view smalls,
                std::u32string_view capitals);

    CharClass operator()(char32_t c) const noexcept { return c < 128 ? ascii_[c] : table_(c); }

private:
    void set(char32_t c, CharClass k);
    std::array<CharClass, 128> ascii_{};
    CodeTable<CharClass, OtherClass> table_;
};

/// The classes of a set of word characters.
const CodeClasses& classesOf(const WordCharacters& letters) noexcept;

/// What a stream needs to hyphenate words of one language. With a
/// dictionary, it finds the breaks, on the word lowered by the hyphenator's
/// character map; breaks that replace text are left out, since a separator
/// cannot say them.
struct Speller {
    Hyphenator hyphenator;
    WordCharacters letters;
    std::optional<Dictionary> dictionary = std::nullopt;
};

/// Chunks of running text, hyphenated word by word. Text comes in through
/// `text` (UTF-8 bytes, continued across calls) and `character` (one
/// character written some other way, such as an HTML character reference,
/// which is kept whole); `boundary` ends the chunk (markup between two runs
/// of text). Everything given is written to `out`, with separators added.
class WordStream {
public:
    explicit WordStream(const TextOptions& options);

    /// The words that follow are hyphenated with `speller`, or, if it is
    /// null, copied as they are. Call it at a boundary.
    void setSpeller(const Speller* speller);

    /// From here on, `separator` goes at the breaks. Call it at a boundary.
    void setSeparator(std::string separator) { options_.separator = std::move(separator); }

    /// UTF-8 text; `offset` is the position of its first byte in the whole
    /// input. A sequence cut off by the end waits for the next call. An
    /// ill-formed sequence is copied as it is and counted, or, with
    /// `strictUtf8`, throws InvalidUtf8, having written all before it.
    void text(std::string_view bytes, std::uint64_t offset, std::string& out);

    /// The ill-formed sequences copied so far.
    const Utf8Problems& invalidUtf8() const noexcept { return invalid_; }

    /// One character whose bytes in the input are `raw`: kept together, and
    /// never broken inside.
    void character(char32_t c, std::string_view raw, std::string& out);

    /// Ends the chunk. Text that ended inside a sequence is copied as it is,
    /// or, with `strictUtf8`, throws InvalidUtf8 with `problem`.
    void boundary(std::string& out, std::string_view problem = "sequence cut short");

private:
    enum class Mode : std::uint8_t {
        Chunk,   // gathering a chunk
        Address, // inside a URL or e-mail address: copying to its end
        Passing, // inside a word too long to hyphenate: copying to its end
    };
    struct Word {
        std::uint32_t start, end;  // character indices in the chunk
        std::uint32_t first, last; // byte offsets in the chunk
        bool marked;               // holds a soft hyphen or zero-width space
        bool small;                // holds a lower-case letter
        std::uint32_t capitals;
    };

    // With removeSoftHyphens: copies the bytes without their soft hyphens.
    void copyWithoutSoftHyphens(std::string_view bytes, std::uint64_t offset, std::string& out);
    // Completes the sequence the last piece ended in with the first bytes of
    // `bytes`, and puts it once it is whole; returns how many bytes it took.
    std::size_t finishCarry(std::string_view bytes, std::string& out);
    // Takes the run of ASCII letters at `i`, whose bytes from `direct` on are
    // not written yet: writes it out if it is a whole chunk, else adds it to
    // the word being read. Returns where the run ends; `i` if it took none.
    std::size_t asciiRun(std::string_view bytes, std::size_t i, std::size_t direct,
                         std::string& out);
    // One character whose bytes are `raw`: a UTF-8 sequence, or, if `whole`,
    // bytes of any other form that are never to be cut.
    void put(char32_t c, CharClass k, std::string_view raw, std::string& out, bool whole);
    // An ill-formed sequence at `offset`, copied and counted.
    void putInvalid(std::string_view raw, std::uint64_t offset, std::string& out);
    // Starts keeping the byte end of every character, for characters whose
    // bytes are not their UTF-8 sequence.
    void keepEnds();
    // A run of ASCII letters inside the word being read.
    void appendLetters(std::string_view run, bool small, std::uint32_t capitals,
                       const CodeClasses& classes);
    // Where the address that `c`, just added, shows the chunk to hold
    // starts, or noAddress.
    std::size_t addressStart(char32_t c, CharClass k) noexcept;
    static constexpr std::size_t noAddress = ~std::size_t{0};
    // Writes the chunk: its words before character `from` hyphenated, the
    // rest as it is.
    void writeBefore(std::size_t from, std::string& out);
    // Adds the word being read, if any, to the chunk's words.
    void endWord();
    // Whether the options leave a word of this length and these letters alone.
    bool leftAlone(std::size_t length, bool small, std::uint32_t capitals) const noexcept;
    void flushChunk(std::string& out);
    void writeWords(std::size_t upTo, std::string& out);
    void emitWord(const Word& w, std::string& out);
    // A chunk that is one word of ASCII letters.
    void writeAsciiWord(std::string_view word, bool small, std::uint32_t capitals,
                        std::string& out);
    void overflow(std::string& out);
    void clearChunk() noexcept;
    void resetChunk() noexcept;

    TextOptions options_;
    std::size_t limit_; // characters a chunk may gather before words are written
    const Speller* speller_ = nullptr;
    const CodeClasses* classes_ = nullptr;
    Mode mode_ = Mode::Chunk;

    Utf8Problems invalid_;
    std::string carry_; // a UTF-8 sequence cut off by the end of a piece
    std::uint64_t carryOffset_ = 0;
    std::string pending_;             // the bytes of the chunk
    std::u32string chars_;            // its characters
    std::vector<std::uint32_t> ends_; // with explicitEnds_, each character's byte end
    bool explicitEnds_ = false;       // the chunk holds characters that are not UTF-8 sequences
    std::vector<Word> words_;         // its words so far
    bool inWord_ = false;
    Word word_{};                  // the word being read
    std::size_t leading_ = 0;      // opening punctuation at the start of the chunk
    bool rebased_ = false;         // the chunk's start was written out already
    char32_t last_[3] = {0, 0, 0}; // the last three characters, newest first
    CharClass lastClass_ = CharClass::Delimiter;
    bool afterAt_ = false; // the last character is an '@' after a letter or digit
    Workspace workspace_;
    std::vector<Break> found_;       // a dictionary's breaks of a word
    std::vector<std::size_t> plain_; // its plain breaks
    std::span<const std::size_t> breaksOf(std::u32string_view word);
};

} // namespace Text::Sillabor::detail
