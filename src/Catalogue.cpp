// The catalogue of language variants: codes, names, ordinals and the lazy
// ranges over them. This file's external interface is the functions of
// Language.hpp but for the loaders (Loader.cpp, ReadyMade.cpp).
#include "Text/Sillabor/Language.hpp"

#include "detail/data/LanguageFacts.hpp"
#include "detail/data/LanguageNames.hpp"
#include "detail/support/Text.hpp"

#include <ostream>
#include <stdexcept>

namespace Text::Sillabor {

namespace {

constexpr int last = static_cast<int>(detail::languageCount) - 1;

static_assert(fromEnum(maxBound<Language>) == last);

const detail::LanguageFacts& facts(Language language) {
    return detail::languageFacts[static_cast<std::size_t>(fromEnum(language))];
}

} // namespace

std::string_view languageAffix(Language language) noexcept {
    return facts(language).affix;
}

std::optional<Language> languageByName(std::string_view name) {
    if (const auto i = detail::languageIndexByName(name))
        return static_cast<Language>(static_cast<int>(*i));
    return std::nullopt;
}

Language toEnum(std::ptrdiff_t n) {
    if (n < 0 || n > last)
        throw std::out_of_range("toEnum{Language}: tag (" + std::to_string(n) +
                                ") is outside of enumeration's range (0," + std::to_string(last) +
                                ")");
    return static_cast<Language>(n);
}

Language succ(Language language) {
    if (language == maxBound<Language>)
        throw std::out_of_range("succ{Language}: tried to take `succ' of last tag in enumeration");
    return static_cast<Language>(fromEnum(language) + 1);
}

Language pred(Language language) {
    if (language == minBound<Language>)
        throw std::out_of_range("pred{Language}: tried to take `pred' of first tag in enumeration");
    return static_cast<Language>(fromEnum(language) - 1);
}

std::string show(Language language) {
    return std::string(facts(language).name);
}

std::string showsPrec(int, Language language, std::string_view rest) {
    std::string out(facts(language).name);
    out += rest;
    return out;
}

std::string showList(std::span<const Language> languages, std::string_view rest) {
    return detail::showListWith(languages, rest, [](Language l) { return facts(l).name; });
}

std::ostream& operator<<(std::ostream& out, Language language) {
    return out << facts(language).name;
}

LanguageRange enumFromThenTo(Language x, Language y, Language z) noexcept {
    const int a = fromEnum(x), b = fromEnum(y), c = fromEnum(z), d = b - a;
    const bool rising = b >= a;
    if (rising ? c >= b : c <= b) {
        if (d == 0) return LanguageRange(a, 0, -1); // a, a, a, ... without end
        return LanguageRange(a, d, (c - a) / d + 1);
    }
    if (rising ? c >= a : c <= a) return LanguageRange(a, d, 1); // the second is already past z
    return LanguageRange(a, d, 0);
}

LanguageRange enumFromThen(Language x, Language y) noexcept {
    return enumFromThenTo(x, y, y >= x ? maxBound<Language> : minBound<Language>);
}

LanguageRange enumFromTo(Language x, Language y) noexcept {
    const int a = fromEnum(x), c = fromEnum(y);
    return LanguageRange(a, 1, c >= a ? c - a + 1 : 0);
}

LanguageRange enumFrom(Language x) noexcept {
    return enumFromTo(x, maxBound<Language>);
}

} // namespace Text::Sillabor
