#include "Text/Sillabor/Language.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <vector>

namespace {

using namespace Text::Sillabor;
using ::testing::ElementsAreArray;
using ::testing::StrEq;
using ::testing::ThrowsMessage;
using L = Language;

std::vector<int> ordinals(LanguageRange r) {
    std::vector<int> out;
    for (Language l : r)
        out.push_back(fromEnum(l));
    return out;
}

std::vector<int> steps(int from, int to, int by) {
    std::vector<int> out;
    for (int v = from; by > 0 ? v <= to : v >= to; v += by)
        out.push_back(v);
    return out;
}

TEST(Catalogue, OrdersTheVariantsByOrdinal) {
    EXPECT_EQ(fromEnum(L::Afrikaans), 0);
    EXPECT_EQ(fromEnum(L::English_US), 13);
    EXPECT_EQ(fromEnum(L::English_GB), 14);
    EXPECT_EQ(fromEnum(L::Welsh), 72);
    EXPECT_LT(L::English_US, L::English_GB);
    EXPECT_EQ(std::max(L::Thai, L::Czech), L::Thai);
    EXPECT_EQ(minBound<Language>, L::Afrikaans);
    EXPECT_EQ(maxBound<Language>, L::Welsh);
    for (Language l : enumFrom(L::Afrikaans))
        EXPECT_EQ(toEnum(fromEnum(l)), l);
}

TEST(Catalogue, AbortsOutsideTheEnumeration) {
    EXPECT_THAT([] { toEnum(73); },
                ThrowsMessage<std::out_of_range>(
                    StrEq("toEnum{Language}: tag (73) is outside of enumeration's range (0,72)")));
    EXPECT_THAT([] { toEnum(-1); },
                ThrowsMessage<std::out_of_range>(
                    StrEq("toEnum{Language}: tag (-1) is outside of enumeration's range (0,72)")));
    EXPECT_THAT([] { succ(L::Welsh); },
                ThrowsMessage<std::out_of_range>(
                    StrEq("succ{Language}: tried to take `succ' of last tag in enumeration")));
    EXPECT_THAT([] { pred(L::Afrikaans); },
                ThrowsMessage<std::out_of_range>(
                    StrEq("pred{Language}: tried to take `pred' of first tag in enumeration")));
    EXPECT_EQ(toEnum(0), L::Afrikaans);
    EXPECT_EQ(toEnum(72), L::Welsh);
    EXPECT_EQ(succ(L::Uppersorbian), L::Welsh);
    EXPECT_EQ(pred(L::Armenian), L::Afrikaans);
}

TEST(Catalogue, ShowsNames) {
    EXPECT_EQ(show(L::Czech), "Czech");
    EXPECT_EQ(show(L::Serbocroatian_Latin), "Serbocroatian_Latin");
    EXPECT_EQ(showsPrec(11, L::Norwegian_Bokmal), "Norwegian_Bokmal");
    EXPECT_EQ(showsPrec(0, L::Thai, "!"), "Thai!");
    const Language two[] = {L::Afrikaans, L::Welsh};
    EXPECT_EQ(showList(two), "[Afrikaans,Welsh]");
    EXPECT_EQ(showList(std::span<const Language>{}, "x"), "[]x");
    std::ostringstream out;
    out << L::German_1901;
    EXPECT_EQ(out.str(), "German_1901");
}

// The catalogue, row by row, in ordinal order: enumerator, file-name affix,
// left and right minimum. Written out by hand so that a change to the
// library's own tables shows up here.
struct Row {
    Language language;
    std::string_view affix;
    std::ptrdiff_t left, right;
};
constexpr Row catalogue[] = {
    {L::Afrikaans, "af", 1, 2},
    {L::Armenian, "hy", 1, 2},
    {L::Assamese, "as", 1, 1},
    {L::Basque, "eu", 2, 2},
    {L::Bengali, "bn", 1, 1},
    {L::Bulgarian, "bg", 2, 2},
    {L::Catalan, "ca", 2, 2},
    {L::Chinese, "zh-latn-pinyin", 1, 1},
    {L::Coptic, "cop", 1, 1},
    {L::Croatian, "hr", 2, 2},
    {L::Czech, "cs", 2, 3},
    {L::Danish, "da", 2, 2},
    {L::Dutch, "nl", 2, 2},
    {L::English_US, "en-us", 2, 3},
    {L::English_GB, "en-gb", 2, 3},
    {L::Esperanto, "eo", 2, 2},
    {L::Estonian, "et", 2, 3},
    {L::Ethiopic, "mul-ethi", 1, 1},
    {L::Finnish, "fi", 2, 2},
    {L::French, "fr", 2, 3},
    {L::Friulan, "fur", 2, 2},
    {L::Galician, "gl", 2, 2},
    {L::Georgian, "ka", 1, 2},
    {L::German_1901, "de-1901", 2, 2},
    {L::German_1996, "de-1996", 2, 2},
    {L::German_Swiss, "de-ch-1901", 2, 2},
    {L::Greek_Ancient, "grc", 1, 1},
    {L::Greek_Mono, "el-monoton", 1, 1},
    {L::Greek_Poly, "el-polyton", 1, 1},
    {L::Gujarati, "gu", 1, 1},
    {L::Hindi, "hi", 1, 1},
    {L::Hungarian, "hu", 2, 2},
    {L::Icelandic, "is", 2, 2},
    {L::Indonesian, "id", 2, 2},
    {L::Interlingua, "ia", 2, 2},
    {L::Irish, "ga", 2, 3},
    {L::Italian, "it", 2, 2},
    {L::Kannada, "kn", 1, 1},
    {L::Kurmanji, "kmr", 2, 2},
    {L::Latin, "la", 2, 2},
    {L::Latin_Classic, "la-x-classic", 2, 2},
    {L::Latvian, "lv", 2, 2},
    {L::Lithuanian, "lt", 2, 2},
    {L::Malayalam, "ml", 1, 1},
    {L::Marathi, "mr", 1, 1},
    {L::Mongolian, "mn-cyrl", 2, 2},
    {L::Norwegian_Bokmal, "nb", 2, 2},
    {L::Norwegian_Nynorsk, "nn", 2, 2},
    {L::Occitan, "oc", 2, 2},
    {L::Oriya, "or", 1, 1},
    {L::Panjabi, "pa", 1, 1},
    {L::Piedmontese, "pms", 2, 2},
    {L::Polish, "pl", 2, 2},
    {L::Portuguese, "pt", 2, 3},
    {L::Romanian, "ro", 2, 2},
    {L::Romansh, "rm", 2, 2},
    {L::Russian, "ru", 2, 2},
    {L::Sanskrit, "sa", 1, 3},
    {L::Serbian_Cyrillic, "sr-cyrl", 2, 2},
    {L::Serbocroatian_Cyrillic, "sh-cyrl", 2, 2},
    {L::Serbocroatian_Latin, "sh-latn", 2, 2},
    {L::Slovak, "sk", 2, 3},
    {L::Slovenian, "sl", 2, 2},
    {L::Spanish, "es", 2, 2},
    {L::Swedish, "sv", 2, 2},
    {L::Tamil, "ta", 1, 1},
    {L::Telugu, "te", 1, 1},
    {L::Thai, "th", 2, 3},
    {L::Turkish, "tr", 2, 2},
    {L::Turkmen, "tk", 2, 2},
    {L::Ukrainian, "uk", 2, 2},
    {L::Uppersorbian, "hsb", 2, 2},
    {L::Welsh, "cy", 2, 3},
};

TEST(Catalogue, MatchesTheTableRowByRow) {
    ASSERT_EQ(std::size(catalogue), 73u);
    std::set<std::string_view> affixes;
    for (std::size_t i = 0; i < std::size(catalogue); ++i) {
        const Row& row = catalogue[i];
        SCOPED_TRACE(show(row.language));
        EXPECT_EQ(fromEnum(row.language), static_cast<int>(i));
        EXPECT_EQ(languageAffix(row.language), row.affix);
        const Hyphenator h = loadHyphenator(row.language);
        EXPECT_EQ(h.hyphenatorLeftMin, row.left);
        EXPECT_EQ(h.hyphenatorRightMin, row.right);
        affixes.insert(row.affix);
    }
    EXPECT_EQ(affixes.size(), 73u); // no two variants share data files
}

TEST(Catalogue, RangesStepThroughOrdinals) {
    EXPECT_THAT(ordinals(enumFrom(L::Welsh)), ElementsAreArray({72}));
    EXPECT_THAT(ordinals(enumFrom(L::Afrikaans)), ElementsAreArray(steps(0, 72, 1)));
    EXPECT_THAT(ordinals(enumFromTo(L::Welsh, L::Afrikaans)), ElementsAreArray(steps(1, 0, 1)));
    EXPECT_THAT(ordinals(enumFromTo(L::Thai, L::Thai)), ElementsAreArray({67}));
    EXPECT_THAT(ordinals(enumFromThen(L::Afrikaans, L::Assamese)),
                ElementsAreArray(steps(0, 72, 2)));
    EXPECT_THAT(ordinals(enumFromThen(L::Welsh, L::Turkmen)), ElementsAreArray(steps(72, 0, -3)));
    EXPECT_THAT(ordinals(enumFromThenTo(L::Afrikaans, L::Basque, L::Catalan)),
                ElementsAreArray({0, 3, 6}));
    EXPECT_THAT(ordinals(enumFromThenTo(L::Catalan, L::Welsh, L::Chinese)), ElementsAreArray({6}));
    EXPECT_THAT(ordinals(enumFromThenTo(L::Catalan, L::Welsh, L::Basque)),
                ElementsAreArray(steps(1, 0, 1)));
    EXPECT_THAT(ordinals(enumFromThenTo(L::Welsh, L::Thai, L::Swedish)),
                ElementsAreArray({72, 67}));
    EXPECT_EQ(std::ranges::distance(enumFromThen(L::Welsh, L::Turkmen)), 25);
}

TEST(Catalogue, AnEndlessRangeIsReadLazily) {
    std::vector<Language> three;
    for (Language l : enumFromThen(L::Latin, L::Latin) | std::views::take(3))
        three.push_back(l);
    EXPECT_THAT(three, ElementsAreArray({L::Latin, L::Latin, L::Latin}));
    auto endless = enumFromThenTo(L::Thai, L::Thai, L::Welsh);
    auto it = endless.begin();
    for (int i = 0; i < 1000; ++i)
        ++it;
    EXPECT_EQ(*it, L::Thai);
    EXPECT_TRUE(enumFromThenTo(L::Thai, L::Thai, L::Afrikaans).empty());
}

} // namespace
