#include "Text/Sillabor/Dictionary.hpp"

#include "Text/Sillabor/detail/DictionaryRep.hpp"
#include "Text/Sillabor/detail/Text.hpp"

#include <fstream>
#include <iterator>
#include <sstream>
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

Dictionary parseDictionary(std::string_view bytes, std::string_view name) {
    return Dictionary(std::make_shared<const DictionaryRep>(DictionaryRep::parse(bytes, name)));
}

Dictionary readDictionary(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::system_error(errno ? errno : ENOENT, std::generic_category(),
                                "cannot read " + file.string());
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return parseDictionary(bytes.str(), file.string());
}

namespace {

/// The word in the dictionary's character set, and the index of each
/// character's last byte.
void encode(const DictionaryRep& d, std::u32string_view word, std::string& out,
            std::vector<std::size_t>& lastByte) {
    out.clear();
    lastByte.clear();
    for (char32_t c : word) {
        if (d.utf8) {
            detail::appendUtf8(out, std::u32string_view(&c, 1));
        } else if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            // A character the set lacks becomes a byte no pattern holds.
            char byte = '\0';
            for (std::size_t i = 0; i < 128; ++i)
                if (d.codepage->upper[i] == c) {
                    byte = static_cast<char>(0x80 + i);
                    break;
                }
            out.push_back(byte);
        }
        lastByte.push_back(out.size() - 1);
    }
}

std::u32string decode(const DictionaryRep& d, std::string_view bytes) {
    if (d.utf8) return detail::decodeUtf8Lenient(bytes);
    std::u32string out;
    for (unsigned char b : bytes)
        out.push_back(b < 0x80 ? b : d.codepage->upper[b - 0x80]);
    return out;
}

} // namespace

std::vector<Break> Dictionary::breaks(std::u32string_view word) const {
    const DictionaryRep& d = *rep_;
    thread_local DicWork work;
    thread_local std::string bytes;
    thread_local std::vector<std::size_t> lastByte;
    encode(d, word, bytes, lastByte);
    detail::hyphenateBytes(d, bytes, d.minima, work);
    if (detail::markNoHyphen(d, bytes, work))
        for (std::size_t i = 0; i < bytes.size(); ++i)
            if (work.noHyphen[i]) work.value[i] = 0;
    std::vector<Break> out;
    // A break goes between characters: never after the last one.
    for (std::size_t c = 0; c + 1 < word.size(); ++c) {
        const std::size_t b = lastByte[c];
        if (!(work.value[b] & 1)) continue;
        Break br;
        br.at = br.from = br.to = c + 1;
        if (const std::int32_t r = d.rules.empty() ? -1 : work.rule[b]; r >= 0) {
            const detail::DicRule& rule = d.rules[static_cast<std::size_t>(r)];
            const std::ptrdiff_t from = static_cast<std::ptrdiff_t>(c) + 1 - rule.pos;
            const std::ptrdiff_t to = from + rule.cut;
            // A rule whose span does not hold the break is read as a plain one.
            if (rule.pos >= 0 && rule.pos <= rule.cut && from >= 0 &&
                to <= static_cast<std::ptrdiff_t>(word.size())) {
                const std::u32string text = decode(d, rule.replacement);
                const std::size_t eq = text.find(U'=');
                br.from = static_cast<std::size_t>(from);
                br.to = static_cast<std::size_t>(to);
                br.before = text.substr(0, eq);
                if (eq != std::u32string::npos) br.after = text.substr(eq + 1);
            }
        }
        out.push_back(std::move(br));
    }
    return out;
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
