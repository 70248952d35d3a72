// Hyphenation dictionaries in the `.dic` format: reading one, and its breaks,
// plain and with replacements, for any hyphenator. This file's external
// interface is Dictionary.hpp's; the reading itself is DictionaryRep's.
#include "Text/Sillabor/Dictionary.hpp"

#include "detail/dictionary/DictionaryRep.hpp"
#include "detail/support/Text.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>

namespace Text::Sillabor {

using detail::DictionaryRep;
using detail::DicWork;

int Dictionary::leftMin() const noexcept {
    return rep_->minima.left;
}
int Dictionary::rightMin() const noexcept {
    return rep_->minima.right;
}
int Dictionary::compoundLeftMin() const noexcept {
    return rep_->minima.compoundLeft;
}
int Dictionary::compoundRightMin() const noexcept {
    return rep_->minima.compoundRight;
}
const std::string& Dictionary::encoding() const noexcept {
    return rep_->encoding;
}
bool Dictionary::knownEncoding() const noexcept {
    return rep_->knownEncoding;
}

Dictionary parseDictionary(std::string_view bytes) {
    return Dictionary(std::make_shared<const DictionaryRep>(DictionaryRep::parse(bytes)));
}

Dictionary readDictionary(const std::filesystem::path& file) {
    // C's stdio rather than a stream: a program that reads one dictionary
    // should not pay for the streams' locale machinery.
    auto fail = [&file] {
        throw std::system_error(errno ? errno : EIO, std::generic_category(),
                                "cannot read " + file.string());
    };
    errno = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(file.c_str(), "rb"), std::fclose);
    if (!in) fail();
    std::string bytes;
    char buffer[16384];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in.get())) > 0;)
        bytes.append(buffer, got);
    if (std::ferror(in.get())) fail();
    return parseDictionary(bytes);
}

namespace {

/// The word in the dictionary's character set, and the index of each
/// character's last byte.
void encode(const DictionaryRep& d, std::u32string_view word, std::string& out,
            std::vector<std::size_t>& lastByte) {
    out.clear();
    lastByte.resize(word.size());
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char32_t c = word[i];
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (d.utf8) {
            detail::appendUtf8(out, std::u32string_view(&c, 1));
        } else {
            // A character the set lacks becomes a byte no pattern holds.
            char byte = '\0';
            for (std::size_t k = 0; k < 128; ++k)
                if (d.codepage->upper[k] == c) {
                    byte = static_cast<char>(0x80 + k);
                    break;
                }
            out.push_back(byte);
        }
        lastByte[i] = out.size() - 1;
    }
}

/// Scratch space for the breaks of one word, kept per thread.
struct Scratch {
    DicWork work;
    std::string bytes;
    std::vector<std::size_t> lastByte;
};

std::u32string decode(const DictionaryRep& d, std::string_view bytes) {
    if (d.utf8) return detail::decodeUtf8Lenient(bytes);
    std::u32string out;
    for (unsigned char b : bytes)
        out.push_back(b < 0x80 ? b : d.codepage->upper[b - 0x80]);
    return out;
}

} // namespace

std::vector<Break> Dictionary::breaks(std::u32string_view word) const {
    std::vector<Break> out;
    breaksWith(word, rep_->minima, out);
    return out;
}

std::vector<Break> Dictionary::breaks(std::u32string_view word, int leftMin, int rightMin) const {
    std::vector<Break> out;
    breaks(word, leftMin, rightMin, out);
    return out;
}

void Dictionary::breaks(std::u32string_view word, int leftMin, int rightMin,
                        std::vector<Break>& out) const {
    if (leftMin < 1 || rightMin < 1)
        throw std::invalid_argument("a hyphenation minimum must be at least 1, not " +
                                    std::to_string(std::min(leftMin, rightMin)));
    detail::DicMinima minima = rep_->minima;
    minima.left = leftMin;
    minima.right = rightMin;
    breaksWith(word, minima, out);
}

std::vector<Break> Dictionary::breaks(std::u32string_view word,
                                      const std::function<char32_t(char32_t)>& normalise) const {
    std::vector<Break> out;
    breaks(word, normalise, out);
    return out;
}

void Dictionary::breaks(std::u32string_view word,
                        const std::function<char32_t(char32_t)>& normalise,
                        std::vector<Break>& out) const {
    thread_local std::u32string normalised; // kept from word to word
    normalised.assign(word);
    for (char32_t& c : normalised)
        c = normalise(c);
    breaksWith(normalised, rep_->minima, out);
}

void Dictionary::breaksWith(std::u32string_view word, const detail::DicMinima& minima,
                            std::vector<Break>& out) const {
    const DictionaryRep& d = *rep_;
    thread_local Scratch scratch;
    DicWork& work = scratch.work;
    std::string& bytes = scratch.bytes;
    std::vector<std::size_t>& lastByte = scratch.lastByte;
    bytes.reserve(word.size() * 4);
    encode(d, word, bytes, lastByte);
    detail::hyphenateBytes(d, bytes, minima, work);
    if (detail::markNoHyphen(d, bytes, work))
        for (std::size_t i = 0; i < bytes.size(); ++i)
            if (work.noHyphen[i]) work.value[i] = 0;
    std::size_t count = 0;
    for (std::size_t c = 0; c + 1 < word.size(); ++c)
        count += work.value[lastByte[c]] & 1;
    out.clear();
    out.reserve(count);
    // A break goes between characters: never after the last one.
    for (std::size_t c = 0; c + 1 < word.size(); ++c) {
        const std::size_t b = lastByte[c];
        if (!(work.value[b] & 1)) continue;
        Break br;
        br.at = br.from = br.to = c + 1;
        if (!d.rules.empty() && work.rule[b].rule >= 0) {
            const detail::RuleAt& rule = work.rule[b];
            // The rule's bytes, counted in characters as the file's readers
            // count them: the characters that start among its bytes up to
            // the break, and among all its bytes. A rule that reaches
            // outside the word is read as a plain break.
            const std::ptrdiff_t first = static_cast<std::ptrdiff_t>(b) + 1 - rule.pos;
            const std::ptrdiff_t last = first + rule.cut;
            if (first >= 0 && last <= static_cast<std::ptrdiff_t>(bytes.size())) {
                auto starts = [&](std::ptrdiff_t from, std::ptrdiff_t to) {
                    std::size_t n = 0;
                    for (std::ptrdiff_t i = from; i < to; ++i)
                        n += !d.utf8 || !detail::isUtf8Continuation(static_cast<unsigned char>(
                                            bytes[static_cast<std::size_t>(i)]));
                    return n;
                };
                const std::size_t back = starts(first, static_cast<std::ptrdiff_t>(b) + 1);
                const std::size_t from = c + 1 - std::min(back, c + 1);
                const std::size_t to = std::min(from + starts(first, last), word.size());
                const std::u32string text =
                    decode(d, d.rules[static_cast<std::size_t>(rule.rule)].replacement);
                const std::size_t eq = text.find(U'=');
                br.from = from;
                br.to = to;
                br.before = text.substr(0, eq);
                if (eq != std::u32string::npos) br.after = text.substr(eq + 1);
            }
        }
        out.push_back(std::move(br));
    }
}

std::vector<Break> breaks(const Dictionary& d, std::u32string_view word) {
    return d.breaks(word);
}

std::vector<Break> breaks(const Hyphenator& h, std::u32string_view word) {
    std::vector<Break> out;
    std::size_t at = 0;
    const auto pieces = hyphenate(h, word);
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        at += pieces[i].size();
        out.push_back(Break{at, at, at, {}, {}});
    }
    return out;
}

std::vector<std::u32string> hyphenate(const Dictionary& d, std::u32string_view word) {
    return applyBreaks(word, d.breaks(word));
}

std::vector<std::u32string> applyBreaks(std::u32string_view word, std::span<const Break> breaks) {
    std::vector<std::u32string> pieces;
    std::u32string piece;
    std::size_t start = 0; // where the current piece's own text starts in the word
    for (const Break& b : breaks) {
        if (b.from < start || b.to > word.size() || b.from > b.to) continue;
        piece.append(word.substr(start, b.from - start));
        piece += b.before;
        pieces.push_back(std::move(piece));
        piece = b.after;
        start = b.to;
    }
    piece.append(word.substr(start));
    pieces.push_back(std::move(piece));
    return pieces;
}

} // namespace Text::Sillabor
