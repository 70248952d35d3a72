#include "Text/Sillabor/Utf8.hpp"

#include "Text/Sillabor/detail/Breaks.hpp"
#include "Text/Sillabor/detail/LanguageFacts.hpp"
#include "Text/Sillabor/detail/Text.hpp"

#include <array>

namespace Text::Sillabor {

namespace {

std::string lowerDashed(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c == '_') c = '-';
    }
    return out;
}

// Tags that name a variant whose file code says more.
constexpr std::array<std::pair<std::string_view, Language>, 9> primaryTags{{
    {"en", Language::English_US},
    {"de-ch", Language::German_Swiss},
    {"de", Language::German_1996},
    {"el", Language::Greek_Mono},
    {"sr", Language::Serbian_Cyrillic},
    {"sh", Language::Serbocroatian_Latin},
    {"zh", Language::Chinese},
    {"mn", Language::Mongolian},
    {"no", Language::Norwegian_Bokmal},
}};

std::optional<Language> exactName(std::string_view key) {
    for (std::size_t i = 0; i < detail::languageCount; ++i) {
        const auto& facts = detail::languageFacts[i];
        if (key == facts.affix || key == lowerDashed(facts.name))
            return static_cast<Language>(static_cast<int>(i));
    }
    for (const auto& [tag, language] : primaryTags)
        if (key == tag) return language;
    return std::nullopt;
}

} // namespace

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

namespace {

constexpr bool isHardHyphen(char32_t c) noexcept {
    return c == U'-' || c == U'\u2010';
}

} // namespace

std::vector<std::string> hyphenate(const Hyphenator& h, std::string_view word) {
    detail::Buffer<char32_t, detail::Workspace::inlineChars> decoded;
    char32_t* chars = decoded.get(word.size());
    const std::size_t n = detail::decodeStrictInto(word, chars);
    const std::u32string_view all(chars, n);
    detail::Workspace ws;

    // The breaks, as character indices: each part between hard hyphens is
    // hyphenated on its own, and a run of hard hyphens with a part on either
    // side is a break itself.
    detail::Buffer<std::size_t, detail::Workspace::inlineChars> found;
    std::size_t* breaks = found.get(n);
    std::size_t count = 0;
    for (std::size_t start = 0; start < n;) {
        std::size_t end = start;
        while (end < n && !isHardHyphen(all[end]))
            ++end;
        if (end > start)
            for (std::size_t b : detail::findBreaks(h, all.substr(start, end - start), ws))
                breaks[count++] = start + b;
        std::size_t after = end;
        while (after < n && isHardHyphen(all[after]))
            ++after;
        if (end > start && after > end && after < n) breaks[count++] = after - 1;
        start = after;
    }

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

std::optional<Language> languageByName(std::string_view name) {
    const std::string key = lowerDashed(name);
    if (auto l = exactName(key)) return l;
    // A language tag with a region ("fr-FR", "pt-BR", "de-AT"): try the
    // language alone.
    const std::size_t dash = key.find('-');
    if (dash == 2 || dash == 3) {
        const std::string_view region = std::string_view(key).substr(dash + 1);
        const bool isRegion =
            (region.size() == 2 &&
             region.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string_view::npos) ||
            (region.size() == 3 &&
             region.find_first_not_of("0123456789") == std::string_view::npos);
        if (isRegion) return exactName(std::string_view(key).substr(0, dash));
    }
    return std::nullopt;
}

} // namespace Text::Sillabor
