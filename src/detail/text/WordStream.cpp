// The word stream under running text and HTML: cuts text into words of a
// language's characters, leaves alone what must not be hyphenated (URLs,
// addresses, words with the author's breaks, capitals, short and long
// words), and writes each word with its separators, in constant memory.
// This file's external interface is WordStream's and CodeClasses' members.
#include "detail/text/WordStream.hpp"

#include "Text/Sillabor/Utf8.hpp"
#include "detail/support/Text.hpp"

#include <algorithm>

namespace Text::Sillabor::detail {

namespace {

// White space, and the ASCII characters that never stand in a URL and often
// stand beside one in marked-up text; U+2000 to U+200A are white space too.
constexpr char32_t delimiters[] = {U' ', U'\t', U'\n',  U'\v',  U'\f',  U'\r',  U'<',   U'>',  U'"',
                                   0x85, 0xA0,  0x1680, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};

constexpr bool isWordClass(CharClass k) noexcept {
    return k >= CharClass::Letter;
}

constexpr bool isLetterClass(CharClass k) noexcept {
    return k >= CharClass::Letter && k <= CharClass::Capital;
}

constexpr bool isAsciiAlnum(char32_t c) noexcept {
    return (c >= U'0' && c <= U'9') || ((c | 0x20) >= U'a' && (c | 0x20) <= U'z');
}

// Punctuation that may open a chunk before "www.".
constexpr bool isOpening(char32_t c) noexcept {
    switch (c) {
    case U'(':
    case U'[':
    case U'{':
    case U'\'':
    case 0x2018:
    case 0x201C:
    case 0xAB:
    case 0xBF:
    case 0xA1:
        return true;
    default:
        return false;
    }
}

constexpr char32_t softHyphen = 0xAD, zeroWidthSpace = 0x200B;

// A word's characters cannot outnumber what the byte offsets can address.
constexpr std::size_t longestLimit = std::size_t{1} << 20;

} // namespace

CodeClasses::CodeClasses(std::u32string_view letters, std::u32string_view smalls,
                         std::u32string_view capitals) {
    for (char32_t c : letters)
        set(c, CharClass::Letter);
    for (char32_t c : smalls)
        set(c, CharClass::Small);
    for (char32_t c : capitals)
        set(c, CharClass::Capital);
    // What running text always means by these, whatever a file lists.
    for (char32_t c : delimiters)
        set(c, CharClass::Delimiter);
    for (char32_t c = 0x2000; c <= 0x200A; ++c)
        set(c, CharClass::Delimiter);
    set(softHyphen, CharClass::Mark);
    set(zeroWidthSpace, CharClass::Mark);
}

void CodeClasses::set(char32_t c, CharClass k) {
    if (c < 128)
        ascii_[c] = k;
    else
        table_.set(c, k);
}

WordStream::WordStream(const TextOptions& options)
    : options_(options), limit_(2 * std::min(options.longestWord, longestLimit) + 64) {
    workspace_.cache = std::make_unique<TableCache>(); // a text has many words
}

void WordStream::setSpeller(const Speller* speller) {
    speller_ = speller;
    classes_ = speller ? &classesOf(speller->letters) : nullptr;
}

// The text is read as a stream of events, each handed to one small method:
// the end of a sequence that the last piece cut off (finishCarry), a run of
// ASCII letters (asciiRun), and any other character (put). Bytes that no
// event needs to see (white space between chunks, the rest of an address)
// are not copied one by one: from `direct` on they go out in one piece when
// something else must be written or the text ends.
void WordStream::text(std::string_view bytes, std::uint64_t offset, std::string& out) {
    if (options_.removeSoftHyphens && speller_) {
        copyWithoutSoftHyphens(bytes, offset, out);
        return;
    }
    if (!speller_) { // nothing to hyphenate: the bytes go as they are
        out.append(bytes);
        return;
    }
    std::size_t i = carry_.empty() ? 0 : finishCarry(bytes, out);
    if (i == bytes.size() && !carry_.empty()) return; // still cut off
    std::size_t direct = i;
    const CodeClasses& classes = *classes_;
    while (i < bytes.size()) {
        Decoded d{static_cast<unsigned char>(bytes[i]), 1};
        if (d.c >= 0x80) {
            try {
                d = decodeStrict(bytes, i, true);
            } catch (const InvalidUtf8& e) {
                out.append(bytes.substr(direct, i - direct));
                if (options_.strictUtf8) {
                    boundary(out);
                    throw InvalidUtf8(offset + i, e.problem());
                }
                const std::size_t length = invalidLength(bytes, i);
                putInvalid(bytes.substr(i, length), offset + i, out);
                direct = i += length;
                continue;
            }
            if (d.length == 0) { // cut off by the end of the piece
                out.append(bytes.substr(direct, i - direct));
                carry_.assign(bytes.substr(i));
                carryOffset_ = offset + i;
                return;
            }
        } else if (mode_ == Mode::Chunk && !afterAt_) {
            if (const std::size_t j = asciiRun(bytes, i, direct, out); j != i) {
                direct = i = j;
                continue;
            }
        }
        const CharClass k = classes(d.c);
        const bool passes = mode_ == Mode::Address ? k != CharClass::Delimiter
                            : mode_ == Mode::Passing
                                ? isWordClass(k)
                                : k == CharClass::Delimiter && chars_.empty() && !rebased_;
        if (!passes) {
            out.append(bytes.substr(direct, i - direct));
            put(d.c, k, bytes.substr(i, d.length), out, false);
            direct = i + d.length;
        }
        i += d.length;
    }
    out.append(bytes.substr(direct));
}

std::size_t WordStream::finishCarry(std::string_view bytes, std::string& out) {
    const std::size_t need = sequenceLength(static_cast<unsigned char>(carry_[0]));
    const std::size_t had = carry_.size();
    const std::size_t take = std::min(need - had, bytes.size());
    carry_.append(bytes.substr(0, take));
    if (carry_.size() < need) return take;
    const std::uint64_t at = carryOffset_;
    Decoded d{};
    try {
        d = decodeStrict(carry_, 0);
    } catch (const InvalidUtf8& e) {
        if (options_.strictUtf8) {
            carry_.clear();
            boundary(out);
            throw InvalidUtf8(at, e.problem());
        }
        // The ill-formed start goes as it is; the bytes after it are read
        // again as text: those of earlier pieces first, and then, from its
        // start, this one.
        const std::string raw = std::move(carry_);
        carry_.clear();
        const std::size_t length = invalidLength(raw, 0);
        putInvalid(std::string_view(raw).substr(0, length), at, out);
        if (length >= had) return length - had;
        text(std::string_view(raw).substr(length, had - length), at + length, out);
        return carry_.empty() ? 0 : finishCarry(bytes, out);
    }
    const std::string raw = std::move(carry_);
    carry_.clear();
    put(d.c, (*classes_)(d.c), raw, out, false);
    return take;
}

std::size_t WordStream::asciiRun(std::string_view bytes, std::size_t i, std::size_t direct,
                                 std::string& out) {
    // Letters change nothing that finds addresses, unless they follow an
    // '@', so a run of them is taken in one go.
    const CodeClasses& classes = *classes_;
    std::size_t j = i;
    std::uint32_t small = 0, capitals = 0;
    for (; j < bytes.size() && static_cast<unsigned char>(bytes[j]) < 0x80; ++j) {
        const CharClass k = classes(static_cast<unsigned char>(bytes[j]));
        if (!isLetterClass(k)) break;
        small |= k == CharClass::Small;
        capitals += k == CharClass::Capital;
    }
    if (j == i) return i;
    if (chars_.empty() && !rebased_ && j < bytes.size() &&
        classes(static_cast<unsigned char>(bytes[j])) == CharClass::Delimiter) {
        // The most common chunk: one ASCII word between white space. It
        // cannot be an address, and goes out straight from here.
        out.append(bytes.substr(direct, i - direct));
        writeAsciiWord(bytes.substr(i, j - i), small != 0, capitals, out);
        return j;
    }
    if (chars_.size() + (j - i) >= limit_) return i; // one character at a time, to overflow
    if (chars_.empty()) out.append(bytes.substr(direct, i - direct));
    if (!inWord_) {
        const auto index = static_cast<std::uint32_t>(chars_.size());
        const auto first = static_cast<std::uint32_t>(pending_.size());
        word_ = Word{index, index, first, first, false, false, 0};
        inWord_ = true;
    }
    appendLetters(bytes.substr(i, j - i), small != 0, capitals, classes);
    return j;
}

void WordStream::appendLetters(std::string_view run, bool small, std::uint32_t capitals,
                               const CodeClasses& classes) {
    const std::size_t base = pending_.size();
    pending_.append(run);
    const std::size_t n = chars_.size();
    chars_.append(run.size(), U'\0');
    for (std::size_t k = 0; k < run.size(); ++k)
        chars_[n + k] = static_cast<unsigned char>(run[k]);
    if (explicitEnds_)
        for (std::size_t k = 0; k < run.size(); ++k)
            ends_.push_back(static_cast<std::uint32_t>(base + k + 1));
    word_.end = static_cast<std::uint32_t>(chars_.size());
    word_.last = static_cast<std::uint32_t>(pending_.size());
    word_.small |= small;
    word_.capitals += capitals;
    // What the address checks remember of the last characters.
    for (std::size_t k = run.size() > 3 ? run.size() - 3 : 0; k < run.size(); ++k) {
        last_[2] = last_[1];
        last_[1] = last_[0];
        last_[0] = static_cast<unsigned char>(run[k]);
    }
    lastClass_ = classes(last_[0]);
}

void WordStream::character(char32_t c, std::string_view raw, std::string& out) {
    if (!carry_.empty()) boundary(out); // a sequence cut short by this character: throws
    if (options_.removeSoftHyphens && speller_) {
        if (c != softHyphen) out.append(raw);
        return;
    }
    if (!speller_) {
        out.append(raw);
        return;
    }
    put(c, (*classes_)(c), raw, out, true);
}

// U+00AD is C2 AD in UTF-8, and C2 is never anything but the lead byte of a
// two-byte sequence: each C2 AD is a soft hyphen. A C2 that ends the piece
// waits for the next.
void WordStream::copyWithoutSoftHyphens(std::string_view bytes, std::uint64_t offset,
                                        std::string& out) {
    constexpr std::string_view encoded = "\xC2\xAD";
    const std::uint64_t end = offset + bytes.size();
    if (!carry_.empty() && !bytes.empty()) {
        if (bytes[0] != encoded[1])
            out.append(carry_);
        else
            bytes.remove_prefix(1);
        carry_.clear();
    }
    for (std::size_t at = bytes.find(encoded); at != std::string_view::npos;
         at = bytes.find(encoded)) {
        out.append(bytes.substr(0, at));
        bytes.remove_prefix(at + encoded.size());
    }
    if (!bytes.empty() && bytes.back() == encoded[0]) {
        out.append(bytes.substr(0, bytes.size() - 1));
        carry_.assign(1, encoded[0]);
        carryOffset_ = end - 1;
    } else {
        out.append(bytes);
    }
}

void WordStream::put(char32_t c, CharClass k, std::string_view raw, std::string& out, bool whole) {
    if (mode_ == Mode::Address) {
        if (k != CharClass::Delimiter) {
            out.append(raw);
            return;
        }
        mode_ = Mode::Chunk;
    } else if (mode_ == Mode::Passing) {
        if (isWordClass(k)) {
            out.append(raw);
            return;
        }
        mode_ = Mode::Chunk;
    }
    if (k == CharClass::Delimiter) {
        if (!chars_.empty()) flushChunk(out);
        resetChunk();
        out.append(raw);
        return;
    }

    const auto index = static_cast<std::uint32_t>(chars_.size());
    const auto first = static_cast<std::uint32_t>(pending_.size());
    if (whole && !explicitEnds_) keepEnds();
    pending_.append(raw);
    chars_.push_back(c);
    if (explicitEnds_) ends_.push_back(static_cast<std::uint32_t>(pending_.size()));
    if (isWordClass(k)) {
        if (!inWord_) {
            word_ = Word{index, index, first, first, false, false, 0};
            inWord_ = true;
        }
        word_.end = index + 1;
        word_.last = static_cast<std::uint32_t>(pending_.size());
        word_.marked |= k == CharClass::Mark;
        word_.small |= k == CharClass::Small;
        word_.capitals += k == CharClass::Capital;
    } else {
        endWord();
    }

    if (const std::size_t from = addressStart(c, k); from != noAddress) {
        // A URL or an e-mail address: what comes before it is written as
        // usual, and it is copied as it is, to its end.
        writeBefore(from, out);
        clearChunk();
        mode_ = Mode::Address;
        return;
    }
    if (chars_.size() >= limit_) overflow(out);
}

std::size_t WordStream::addressStart(char32_t c, CharClass k) noexcept {
    const std::size_t index = chars_.size() - 1; // where `c` is
    std::size_t from = noAddress;
    if (c == U'/' && last_[0] == U'/' && last_[1] == U':' && isAsciiAlnum(last_[2])) {
        // "scheme://": the address starts with the scheme.
        // (After a long chunk was written in part, the scheme may be gone.)
        from = index >= 2 ? index - 2 : 0;
        while (from > 0 && (isAsciiAlnum(chars_[from - 1]) || chars_[from - 1] == U'+' ||
                            chars_[from - 1] == U'-' || chars_[from - 1] == U'.'))
            --from;
    } else if (afterAt_ && (isLetterClass(k) || (c >= U'0' && c <= U'9'))) {
        // "name@host": the address starts with the name.
        from = index >= 1 ? index - 1 : 0;
        while (from > 0 &&
               (isLetterClass((*classes_)(chars_[from - 1])) || isAsciiAlnum(chars_[from - 1]) ||
                chars_[from - 1] == U'.' || chars_[from - 1] == U'_' || chars_[from - 1] == U'-' ||
                chars_[from - 1] == U'+' || chars_[from - 1] == U'%'))
            --from;
    }
    afterAt_ = c == U'@' && (isLetterClass(lastClass_) || (last_[0] >= U'0' && last_[0] <= U'9'));
    // "www." at the start of the chunk, after any opening punctuation.
    if (!rebased_ && from == noAddress) {
        const std::size_t n = chars_.size();
        if (n == leading_ + 1 && isOpening(c)) {
            ++leading_;
        } else if (n == leading_ + 4) {
            static constexpr char32_t www[] = {U'w', U'w', U'w', U'.'};
            if (std::equal(
                    chars_.begin() + static_cast<std::ptrdiff_t>(leading_), chars_.end(), www,
                    [](char32_t a, char32_t b) { return a == b || (b == U'w' && a == U'W'); }))
                from = leading_;
        }
    }
    last_[2] = last_[1];
    last_[1] = last_[0];
    last_[0] = c;
    lastClass_ = k;
    return from;
}

void WordStream::endWord() {
    if (inWord_) words_.push_back(word_);
    inWord_ = false;
}

void WordStream::writeBefore(std::size_t from, std::string& out) {
    endWord();
    std::size_t written = 0;
    for (const Word& w : words_) {
        if (w.end > from) break; // a word the address starts inside is copied
        out.append(pending_, written, w.first - written);
        emitWord(w, out);
        written = w.last;
    }
    out.append(pending_, written, std::string::npos);
    words_.clear();
}

void WordStream::flushChunk(std::string& out) {
    endWord();
    writeWords(pending_.size(), out);
    clearChunk();
}

void WordStream::keepEnds() {
    ends_.clear();
    CharacterEnds walk(pending_);
    for (std::size_t i = 0; i < chars_.size(); ++i)
        ends_.push_back(static_cast<std::uint32_t>(walk.after(i)));
    explicitEnds_ = true;
}

void WordStream::writeWords(std::size_t upTo, std::string& out) {
    std::size_t written = 0; // bytes of `pending_`
    for (const Word& w : words_) {
        out.append(pending_, written, w.first - written);
        emitWord(w, out);
        written = w.last;
    }
    out.append(pending_, written, upTo - written);
    words_.clear();
}

bool WordStream::leftAlone(std::size_t length, bool small, std::uint32_t capitals) const noexcept {
    return length > options_.longestWord || length < options_.minLength ||
           (!options_.capitals && !small && capitals >= 2);
}

void WordStream::emitWord(const Word& w, std::string& out) {
    const std::size_t n = w.end - w.start;
    const std::size_t first = w.first, last = w.last;
    if (w.marked || leftAlone(n, w.small, w.capitals)) {
        out.append(pending_, first, last - first);
        return;
    }
    const auto breaks = breaksOf(std::u32string_view(chars_.data() + w.start, n));
    const bool ascii = last - first == n; // one byte per character
    CharacterEnds walk(std::string_view(pending_).substr(first, last - first));
    std::size_t at = first;
    for (std::size_t b : breaks) {
        const std::size_t cut = explicitEnds_ ? ends_[w.start + b]
                                : ascii       ? first + b + 1
                                              : first + walk.after(b);
        out.append(pending_, at, cut - at);
        out += options_.separator;
        at = cut;
    }
    out.append(pending_, at, last - at);
}

std::span<const std::size_t> WordStream::breaksOf(std::u32string_view word) {
    if (!speller_->dictionary) return findBreaks(speller_->hyphenator, word, workspace_);
    speller_->dictionary->breaks(word, speller_->hyphenator.hyphenatorChars, found_);
    plain_.clear();
    for (const Break& b : found_)
        if (b.plain()) plain_.push_back(b.at - 1);
    return plain_;
}

void WordStream::writeAsciiWord(std::string_view word, bool small, std::uint32_t capitals,
                                std::string& out) {
    const std::size_t n = word.size();
    if (leftAlone(n, small, capitals)) {
        out.append(word);
        return;
    }
    chars_.resize(n);
    for (std::size_t k = 0; k < n; ++k)
        chars_[k] = static_cast<unsigned char>(word[k]);
    const auto breaks = breaksOf(chars_);
    chars_.clear();
    std::size_t at = 0;
    for (std::size_t b : breaks) {
        out.append(word.substr(at, b + 1 - at));
        out += options_.separator;
        at = b + 1;
    }
    out.append(word.substr(at));
}

void WordStream::overflow(std::string& out) {
    // The chunk is long without white space: write what precedes the word
    // being read, and keep gathering from there.
    const std::uint32_t cut = inWord_ ? word_.start : static_cast<std::uint32_t>(chars_.size());
    if (cut == 0) { // one word, too long to be one worth hyphenating
        out.append(pending_);
        clearChunk();
        inWord_ = false;
        mode_ = Mode::Passing;
        return;
    }
    const std::uint32_t bytes = inWord_ ? word_.first : static_cast<std::uint32_t>(pending_.size());
    writeWords(bytes, out);
    pending_.erase(0, bytes);
    chars_.erase(0, cut);
    if (explicitEnds_) {
        ends_.erase(ends_.begin(), ends_.begin() + cut);
        for (std::uint32_t& e : ends_)
            e -= bytes;
    }
    word_.start -= cut;
    word_.end -= cut;
    word_.first -= bytes;
    word_.last -= bytes;
    rebased_ = true;
}

void WordStream::clearChunk() noexcept {
    pending_.clear();
    chars_.clear();
    ends_.clear();
    explicitEnds_ = false;
    words_.clear();
    inWord_ = false;
}

void WordStream::resetChunk() noexcept {
    clearChunk();
    leading_ = 0;
    rebased_ = false;
    last_[0] = last_[1] = last_[2] = 0;
    lastClass_ = CharClass::Delimiter;
    afterAt_ = false;
}

void WordStream::boundary(std::string& out, std::string_view problem) {
    if (!carry_.empty() && !options_.strictUtf8) {
        // A sequence cut short by markup or the end: copied as it is, one
        // ill-formed sequence at a time.
        const std::string raw = std::move(carry_);
        carry_.clear();
        for (std::size_t i = 0; i < raw.size();) {
            const std::size_t length = invalidLength(raw, i);
            putInvalid(std::string_view(raw).substr(i, length), carryOffset_ + i, out);
            i += length;
        }
    }
    if (!chars_.empty()) flushChunk(out);
    resetChunk();
    mode_ = Mode::Chunk;
    if (!carry_.empty()) {
        carry_.clear();
        throw InvalidUtf8(carryOffset_, problem);
    }
}

void WordStream::putInvalid(std::string_view raw, std::uint64_t offset, std::string& out) {
    if (invalid_.count++ == 0) invalid_.firstOffset = offset;
    // Bytes of no character: a character of their own, between words and
    // never cut, that ends an address no more than other punctuation does.
    put(0xFFFD, CharClass::Other, raw, out, true);
}

} // namespace Text::Sillabor::detail
