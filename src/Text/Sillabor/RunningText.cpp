#include "Text/Sillabor/RunningText.hpp"

#include "Text/Sillabor/Utf8.hpp"
#include "Text/Sillabor/detail/Breaks.hpp"
#include "Text/Sillabor/detail/CodeTable.hpp"
#include "Text/Sillabor/detail/EmbeddedFiles.hpp"
#include "Text/Sillabor/detail/Loader.hpp"
#include "Text/Sillabor/detail/Text.hpp"

#include <array>

namespace Text::Sillabor {

namespace detail {

struct NotInSet {
    constexpr bool operator()(char32_t) const noexcept { return false; }
};

/// A set of code points, with a bit test for ASCII.
class CodeSet {
public:
    explicit CodeSet(std::u32string_view members) {
        for (char32_t c : members) {
            if (c < 128) ascii_[c / 64] |= std::uint64_t{1} << (c % 64);
            table_.set(c, true);
        }
    }
    bool contains(char32_t c) const noexcept {
        return c < 128 ? (ascii_[c / 64] >> (c % 64)) & 1 : table_(c);
    }

private:
    std::array<std::uint64_t, 2> ascii_{};
    CodeTable<bool, NotInSet> table_;
};

struct TextState {
    TextState(Hyphenator h, WordCharacters l, std::string s, std::size_t longest)
        : hyphenator(std::move(h)), letters(std::move(l)), separator(std::move(s)),
          longestWord(longest) {}

    Hyphenator hyphenator;
    WordCharacters letters;
    std::string separator;
    std::size_t longestWord;
    std::uint64_t consumed = 0;
    std::string carry;     // a UTF-8 sequence cut off by the end of the last piece
    std::string wordBytes; // the bytes of a word begun in an earlier piece
    std::u32string word;   // the characters of the word being read
    bool passing = false;  // inside a word too long to hyphenate: copying as it comes
    Workspace workspace;

    // Writes the word whose bytes are `bytes` with separators at its breaks.
    void emitWord(std::string_view bytes, std::string& out) {
        const auto breaks = findBreaks(hyphenator, word, workspace);
        const bool ascii = bytes.size() == word.size(); // one byte per character
        CharacterEnds ends(bytes);
        std::size_t start = 0;
        for (std::size_t b : breaks) {
            const std::size_t at = ascii ? b + 1 : ends.after(b);
            out.append(bytes.data() + start, at - start);
            out += separator;
            start = at;
        }
        out.append(bytes.data() + start, bytes.size() - start);
        word.clear();
        wordBytes.clear();
    }

    // Gives up on the word being read, too long to be one worth
    // hyphenating: what is held of it is copied, and the rest of it will be.
    void passWord(std::string& out) {
        out += wordBytes;
        word.clear();
        wordBytes.clear();
        passing = true;
    }

    // Ends the word being read; its bytes are `wordBytes` followed by `tail`.
    void endWord(std::string_view tail, std::string& out) {
        if (word.empty()) return;
        if (wordBytes.empty()) {
            emitWord(tail, out);
        } else {
            wordBytes.append(tail);
            const std::string bytes = std::move(wordBytes);
            emitWord(bytes, out);
        }
    }

    void feed(std::string_view bytes, std::string& out);
};

void TextState::feed(std::string_view bytes, std::string& out) {
    std::size_t i = 0;
    if (!carry.empty()) {
        // Complete the sequence the last piece ended in.
        const std::size_t need = sequenceLength(static_cast<unsigned char>(carry[0]));
        const std::size_t take = std::min(need - carry.size(), bytes.size());
        carry.append(bytes.substr(0, take));
        i = take;
        if (carry.size() < need) {
            consumed += bytes.size();
            return;
        }
        const std::uint64_t at = consumed - (carry.size() - take);
        Decoded d{};
        try {
            d = decodeStrict(carry, 0);
        } catch (const InvalidUtf8& e) {
            endWord({}, out);
            throw InvalidUtf8(at, e.problem());
        }
        if (letters.contains(d.c) && !passing) {
            word.push_back(d.c);
            wordBytes += carry;
            if (word.size() > longestWord) passWord(out);
        } else if (letters.contains(d.c)) {
            out += carry;
        } else {
            endWord({}, out);
            passing = false;
            out += carry;
        }
        carry.clear();
    }

    // Bytes from `run` on that are not part of the word being read are copied
    // to the output in one go, when a word starts or the piece ends. The word
    // being read starts at `start` in this piece (after what `wordBytes` holds
    // from earlier pieces).
    std::size_t run = i;
    std::size_t start = i;
    while (i < bytes.size()) {
        if (!word.empty()) {
            // Inside a word: take a run of ASCII letters in one go.
            std::size_t j = i;
            while (j < bytes.size() && static_cast<unsigned char>(bytes[j]) < 0x80 &&
                   letters.contains(static_cast<unsigned char>(bytes[j])))
                ++j;
            if (j != i) {
                if (word.size() + (j - i) <= longestWord) {
                    const std::size_t size = word.size();
                    word.resize(size + (j - i));
                    for (std::size_t k = i; k < j; ++k)
                        word[size + (k - i)] = static_cast<unsigned char>(bytes[k]);
                    i = j;
                    continue;
                }
            }
        }
        Decoded d{static_cast<unsigned char>(bytes[i]), 1};
        if (d.c >= 0x80) {
            try {
                d = decodeStrict(bytes, i, true);
            } catch (const InvalidUtf8& e) {
                if (word.empty())
                    out.append(bytes.substr(run, i - run));
                else
                    endWord(bytes.substr(start, i - start), out);
                consumed += i;
                throw InvalidUtf8(consumed, e.problem());
            }
            if (d.length == 0) { // cut off by the end of the piece
                carry.assign(bytes.substr(i));
                break;
            }
        }
        if (letters.contains(d.c)) {
            if (!passing) {
                if (word.empty()) {
                    out.append(bytes.substr(run, i - run));
                    start = i;
                }
                word.push_back(d.c);
                if (word.size() > longestWord) {
                    passWord(out);
                    run = start; // this piece's part of the word is copied with the run
                }
            }
        } else if (!word.empty()) {
            endWord(bytes.substr(start, i - start), out);
            run = i;
        } else {
            passing = false;
        }
        i += d.length;
    }
    const std::size_t end = carry.empty() ? bytes.size() : i;
    if (word.empty())
        out.append(bytes.substr(run, end - run));
    else
        wordBytes.append(bytes.substr(start, end - start));
    consumed += bytes.size();
}

} // namespace detail

WordCharacters WordCharacters::of(Language language) {
    const std::u32string text =
        detail::readDataFile(detail::findEmbeddedFile, language, ".chr.txt.gz");
    std::u32string members;
    for (char32_t c : text)
        if (c != U'\n') members.push_back(c);
    return WordCharacters(members);
}

WordCharacters::WordCharacters(std::u32string_view letters)
    : set_(std::make_shared<const detail::CodeSet>(letters)) {}

bool WordCharacters::contains(char32_t c) const noexcept {
    return set_->contains(c);
}

TextHyphenator::TextHyphenator(Hyphenator hyphenator, WordCharacters letters, std::string separator,
                               std::size_t longestWord)
    : state_(std::make_unique<detail::TextState>(std::move(hyphenator), std::move(letters),
                                                 std::move(separator), longestWord)) {}

TextHyphenator::TextHyphenator(TextHyphenator&&) noexcept = default;
TextHyphenator& TextHyphenator::operator=(TextHyphenator&&) noexcept = default;
TextHyphenator::~TextHyphenator() = default;

void TextHyphenator::feed(std::string_view bytes, std::string& out) {
    state_->feed(bytes, out);
}

void TextHyphenator::finish(std::string& out) {
    detail::TextState& s = *state_;
    s.endWord({}, out);
    s.passing = false;
    if (!s.carry.empty()) {
        const std::uint64_t at = s.consumed - s.carry.size();
        s.carry.clear();
        throw InvalidUtf8(at, "sequence cut short by the end of the text");
    }
}

std::uint64_t TextHyphenator::consumed() const noexcept {
    return state_->consumed;
}

std::string hyphenateText(const Hyphenator& hyphenator, const WordCharacters& letters,
                          std::string_view text, std::string_view separator) {
    TextHyphenator t(hyphenator, letters, std::string(separator));
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    t.feed(text, out);
    t.finish(out);
    return out;
}

} // namespace Text::Sillabor
