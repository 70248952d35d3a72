// Languages: the 73 language variants whose hyphenation data the library
// carries, and their ready-made hyphenators.
//
//     show(Language::German_Swiss);          // "German_Swiss"
//     languageAffix(Language::German_Swiss); // "de-ch-1901", the name of its data files
//
// The variants, their codes, minima and licences are the rows of
// Languages.def, in alphabetical order of the language's English name, except
// that English_US comes before English_GB. Their order is part of the
// interface: it fixes ordinals, comparisons and ranges.
#pragma once

#include "Text/Sillabor/Export.hpp"

#include "Text/Sillabor/Hyphenator.hpp"

#include <cstddef>
#include <iosfwd>
#include <iterator>
#include <optional>
#include <span>
#include <version>
#if defined(__cpp_lib_ranges)
#include <ranges>
#endif
#include <string>
#include <string_view>

namespace Text::Sillabor {

/// The language variants, with ordinals 0 (Afrikaans) to 72 (Welsh), one for
/// each row of Languages.def. Comparisons compare ordinals.
enum class Language : int {
#define SILLABOR_LANGUAGE(enumerator, ...) enumerator,
#include "Text/Sillabor/Languages.def"
};

namespace detail {
template <class>
inline constexpr bool hasBounds = false;
} // namespace detail

/// The smallest and largest value of an enumeration: defined for Language
/// only; any other type fails to compile.
template <class T>
inline constexpr T minBound = [] {
    static_assert(detail::hasBounds<T>, "minBound and maxBound exist only for Language");
    return T{};
}();
template <class T>
inline constexpr T maxBound = [] {
    static_assert(detail::hasBounds<T>, "minBound and maxBound exist only for Language");
    return T{};
}();
template <>
inline constexpr Language minBound<Language> = Language::Afrikaans;
template <>
inline constexpr Language maxBound<Language> = static_cast<Language>(-1
#define SILLABOR_LANGUAGE(...) +1
#include "Text/Sillabor/Languages.def"
);

/// The code the variant's data files are named after: "en-us" for
/// English_US, "zh-latn-pinyin" for Chinese.
SILLABOR_API std::string_view languageAffix(Language language) noexcept;

/// The language a name stands for, or nothing. Accepts the enumerator's name
/// ("English_US"), its file code ("en-us"), and the usual tag spellings
/// ("en-US", "en_us", "de-CH-1901", "en", "de", "fr-FR", "es-419", ...), in any
/// case and with "-" or "_" between the parts.
SILLABOR_API std::optional<Language> languageByName(std::string_view name);

/// The ordinal, 0 to 72.
constexpr int fromEnum(Language language) noexcept {
    return static_cast<int>(language);
}

/// The variant of ordinal n. Throws std::out_of_range, with "toEnum{Language}:
/// tag (n) is outside of enumeration's range (0,72)", for any other n.
SILLABOR_API Language toEnum(std::ptrdiff_t n);

/// The next variant. Throws std::out_of_range for Welsh.
SILLABOR_API Language succ(Language language);
/// The previous variant. Throws std::out_of_range for Afrikaans.
SILLABOR_API Language pred(Language language);

/// The enumerator's name, as "English_US".
SILLABOR_API std::string show(Language language);
/// The name followed by `rest`; the precedence is ignored.
SILLABOR_API std::string showsPrec(int precedence, Language language, std::string_view rest = {});
/// "[", the names joined by ",", "]", then `rest`.
SILLABOR_API std::string showList(std::span<const Language> languages, std::string_view rest = {});
/// Writes `show(language)`.
SILLABOR_API std::ostream& operator<<(std::ostream& out, Language language);

/// An arithmetic sequence of variants, computed as it is read, possibly
/// without end: a view that works with the standard range adaptors.
///
///     for (Language l : enumFromThen(Language::Afrikaans, Language::Assamese)) ...  // every other
///     one enumFromThen(Language::Latin, Language::Latin) | std::views::take(3)          // Latin
///     three times
class SILLABOR_API LanguageRange
#if defined(__cpp_lib_ranges) // a standard library whose ranges are complete
    : public std::ranges::view_interface<LanguageRange>
#endif
{
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
    iterator begin() const noexcept {
        return {first_, step_, count_};
    }
    std::default_sentinel_t end() const noexcept {
        return {};
    }
    bool empty() const noexcept {
        return count_ == 0;
    }

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
SILLABOR_API LanguageRange enumFromThenTo(Language x, Language y, Language z) noexcept;
/// The same, up to Welsh when rising and down to Afrikaans when falling.
SILLABOR_API LanguageRange enumFromThen(Language x, Language y) noexcept;
/// x and every later variant up to and including y; empty when y < x.
SILLABOR_API LanguageRange enumFromTo(Language x, Language y) noexcept;
/// x and every later variant.
SILLABOR_API LanguageRange enumFrom(Language x) noexcept;

/// A new hyphenator for `language`, from its embedded data files: the
/// character map, patterns and exceptions are each decompressed and parsed
/// when first needed (so this returns at once and never fails); the minima
/// are set right away. A missing or broken file makes the first use of its
/// table throw std::runtime_error ("Could not find hyph-...").
SILLABOR_API Hyphenator loadHyphenator(Language language);

/// The ready-made hyphenator of `language`: built by `loadHyphenator` on its
/// first use in the process, then shared. Threads that race for the first use
/// wait for one build. The reference stays valid until the process ends.
SILLABOR_API const Hyphenator& languageHyphenator(Language language);

/// A name for a ready-made hyphenator that converts to it where one is
/// needed, so that nothing is built before the first use:
///
///     hyphenate(english_US, U"Typesetting");   // {"Type", "set", "ting"}
///     english_US->hyphenatorLeftMin;           // 2
class ReadyMade {
public:
    constexpr explicit ReadyMade(Language language) noexcept : language_(language) {}
    const Hyphenator& get() const { return languageHyphenator(language_); }
    operator const Hyphenator&() const { return get(); }
    const Hyphenator* operator->() const { return &get(); }
    constexpr Language language() const noexcept { return language_; }

private:
    Language language_;
};

/// The ready-made hyphenators, one for each variant: `afrikaans` to `welsh`,
/// named as the enumerator with a small first letter (`english_US`,
/// `german_Swiss`).
#define SILLABOR_LANGUAGE(enumerator, readyMade, ...)                                              \
    inline constexpr ReadyMade readyMade{Language::enumerator};
#include "Text/Sillabor/Languages.def"

} // namespace Text::Sillabor

#if defined(__cpp_lib_ranges)
template <>
inline constexpr bool std::ranges::enable_borrowed_range<Text::Sillabor::LanguageRange> = true;
#endif
