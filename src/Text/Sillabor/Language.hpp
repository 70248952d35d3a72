// Languages: the 73 language variants whose hyphenation data the library
// carries, and their ready-made hyphenators.
//
//     show(Language::German_Swiss);          // "German_Swiss"
//     languageAffix(Language::German_Swiss); // "de-ch-1901", the name of its data files
//
// The enumerators are in alphabetical order of the language's English name,
// except that English_US comes before English_GB. Their order is part of the
// interface: it fixes ordinals, comparisons and ranges.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <iterator>
#include <ranges>
#include <span>
#include <string>
#include <string_view>

namespace Text::Sillabor {

/// The language variants, with ordinals 0 (Afrikaans) to 72 (Welsh).
/// Comparisons compare ordinals.
enum class Language : int {
    Afrikaans,
    Armenian,
    Assamese,
    Basque,
    Bengali,
    Bulgarian,
    Catalan,
    Chinese,
    Coptic,
    Croatian,
    Czech,
    Danish,
    Dutch,
    English_US,
    English_GB,
    Esperanto,
    Estonian,
    Ethiopic,
    Finnish,
    French,
    Friulan,
    Galician,
    Georgian,
    German_1901,
    German_1996,
    German_Swiss,
    Greek_Ancient,
    Greek_Mono,
    Greek_Poly,
    Gujarati,
    Hindi,
    Hungarian,
    Icelandic,
    Indonesian,
    Interlingua,
    Irish,
    Italian,
    Kannada,
    Kurmanji,
    Latin,
    Latin_Classic,
    Latvian,
    Lithuanian,
    Malayalam,
    Marathi,
    Mongolian,
    Norwegian_Bokmal,
    Norwegian_Nynorsk,
    Occitan,
    Oriya,
    Panjabi,
    Piedmontese,
    Polish,
    Portuguese,
    Romanian,
    Romansh,
    Russian,
    Sanskrit,
    Serbian_Cyrillic,
    Serbocroatian_Cyrillic,
    Serbocroatian_Latin,
    Slovak,
    Slovenian,
    Spanish,
    Swedish,
    Tamil,
    Telugu,
    Thai,
    Turkish,
    Turkmen,
    Ukrainian,
    Uppersorbian,
    Welsh
};

/// The smallest and largest value of an enumeration.
template <class T>
inline constexpr T minBound = T{};
template <class T>
inline constexpr T maxBound = T{};
template <>
inline constexpr Language minBound<Language> = Language::Afrikaans;
template <>
inline constexpr Language maxBound<Language> = Language::Welsh;

/// The code the variant's data files are named after: "en-us" for
/// English_US, "zh-latn-pinyin" for Chinese.
std::string_view languageAffix(Language language) noexcept;

/// The ordinal, 0 to 72.
constexpr int fromEnum(Language language) noexcept {
    return static_cast<int>(language);
}

/// The variant of ordinal n. Throws std::out_of_range, with "toEnum{Language}:
/// tag (n) is outside of enumeration's range (0,72)", for any other n.
Language toEnum(std::ptrdiff_t n);

/// The next variant. Throws std::out_of_range for Welsh.
Language succ(Language language);
/// The previous variant. Throws std::out_of_range for Afrikaans.
Language pred(Language language);

/// The enumerator's name, as "English_US".
std::string show(Language language);
/// The name followed by `rest`; the precedence is ignored.
std::string showsPrec(int precedence, Language language, std::string_view rest = {});
/// "[", the names joined by ",", "]", then `rest`.
std::string showList(std::span<const Language> languages, std::string_view rest = {});
/// Writes `show(language)`.
std::ostream& operator<<(std::ostream& out, Language language);

/// An arithmetic sequence of variants, computed as it is read, possibly
/// without end: a view that works with the standard range adaptors.
///
///     for (Language l : enumFromThen(Language::Afrikaans, Language::Assamese)) ...  // every other
///     one enumFromThen(Language::Latin, Language::Latin) | std::views::take(3)          // Latin
///     three times
class LanguageRange : public std::ranges::view_interface<LanguageRange> {
public:
    class iterator {
    public:
        using value_type = Language;
        using difference_type = std::ptrdiff_t;
        using iterator_category = std::forward_iterator_tag;

        iterator() = default;
        Language operator*() const noexcept { return static_cast<Language>(value_); }
        iterator& operator++() noexcept {
            value_ += step_;
            if (left_ > 0) --left_;
            return *this;
        }
        iterator operator++(int) noexcept {
            iterator old = *this;
            ++*this;
            return old;
        }
        friend bool operator==(const iterator& a, const iterator& b) noexcept {
            return a.left_ == b.left_ && (a.left_ == 0 || a.value_ == b.value_);
        }
        friend bool operator==(const iterator& i, std::default_sentinel_t) noexcept {
            return i.left_ == 0;
        }

    private:
        friend class LanguageRange;
        iterator(int value, int step, std::ptrdiff_t left) noexcept
            : value_(value), step_(step), left_(left) {}
        int value_ = 0;
        int step_ = 0;
        std::ptrdiff_t left_ = 0; // elements still to come; -1 for no end
    };

    LanguageRange() = default;
    iterator begin() const noexcept { return {first_, step_, count_}; }
    std::default_sentinel_t end() const noexcept { return {}; }

private:
    friend LanguageRange enumFromThenTo(Language, Language, Language) noexcept;
    friend LanguageRange enumFromTo(Language, Language) noexcept;
    LanguageRange(int first, int step, std::ptrdiff_t count) noexcept
        : first_(first), step_(step), count_(count) {}
    int first_ = 0;
    int step_ = 0;
    std::ptrdiff_t count_ = 0; // -1 for no end
};

/// x, x + (y - x), x + 2 (y - x), ... as far as z (rising when y >= x,
/// falling otherwise). When the second element already lies beyond z, only x
/// (if x itself does not) is yielded. With y == x and z >= x there is no end.
LanguageRange enumFromThenTo(Language x, Language y, Language z) noexcept;
/// The same, up to Welsh when rising and down to Afrikaans when falling.
LanguageRange enumFromThen(Language x, Language y) noexcept;
/// x and every later variant up to and including y; empty when y < x.
LanguageRange enumFromTo(Language x, Language y) noexcept;
/// x and every later variant.
LanguageRange enumFrom(Language x) noexcept;

} // namespace Text::Sillabor

template <>
inline constexpr bool std::ranges::enable_borrowed_range<Text::Sillabor::LanguageRange> = true;
