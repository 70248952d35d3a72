// The UTF-8 face of the library: words cut at hard hyphens and hyphenated
// part by part, and strict conversions. This file's external interface is
// Utf8.hpp's functions.
#include "Text/Sillabor/Utf8.hpp"

#include "detail/engine/Breaks.hpp"
#include "detail/support/Text.hpp"

namespace Text::Sillabor {

InvalidUtf8::InvalidUtf8(std::size_t offset, std::string_view problem)
    : std::invalid_argument("invalid UTF-8 at byte " + std::to_string(offset) + ": " +
                            std::string(problem)),
      offset_(offset), problem_(problem) {}

std::u32string toUtf32(std::string_view utf8) {
    std::u32string out(utf8.size(), U'\0');
    out.resize(detail::decodeStrictInto(utf8, out.data()));
    return out;
}

std::string toUtf8(std::u32string_view text) {
    for (char32_t c : text)
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            throw std::invalid_argument("toUtf8: U+" +
                                        std::to_string(static_cast<unsigned long>(c)) +
                                        " (decimal) has no UTF-8 form");
    return detail::toUtf8(text);
}

std::size_t validUtf8Prefix(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const detail::Decoded d = detail::decodeStrict(bytes, i, true);
        if (d.length == 0) break; // cut off by the end: the rest may follow
        i += d.length;
    }
    return i;
}

std::vector<std::string> hyphenate(const Hyphenator& h, std::string_view word) {
    detail::Buffer<char32_t, detail::Workspace::inlineChars> decoded;
    char32_t* chars = decoded.get(word.size());
    const std::size_t n = detail::decodeStrictInto(word, chars);
    const std::u32string_view all(chars, n);
    detail::Workspace ws;

    // The breaks, as character indices.
    detail::Buffer<std::size_t, detail::Workspace::inlineChars> found;
    std::size_t* breaks = found.get(n);
    std::size_t count = 0;
    detail::forEachWordBreak(h, all, ws, [&](std::size_t b) { breaks[count++] = b; });

    // Cut the bytes after each break's character.
    std::vector<std::string> pieces;
    pieces.reserve(count + 1);
    detail::CharacterEnds ends(word);
    std::size_t start = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = ends.after(breaks[i]);
        pieces.emplace_back(word.substr(start, at - start));
        start = at;
    }
    pieces.emplace_back(word.substr(start));
    return pieces;
}

} // namespace Text::Sillabor
