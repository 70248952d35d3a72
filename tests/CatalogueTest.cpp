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

// Every variant: its ordinal, a code of its own, and the names that lead back
// to it. The codes users know are spelled out, so that a change to the table
// shows up here.
TEST(Catalogue, EveryVariantIsFoundByItsNameAndCode) {
    std::set<std::string_view> codes;
    int ordinal = 0;
    for (Language l : enumFrom(L::Afrikaans)) {
        SCOPED_TRACE(show(l));
        EXPECT_EQ(fromEnum(l), ordinal++);
        EXPECT_EQ(languageByName(show(l)), l);
        EXPECT_EQ(languageByName(languageAffix(l)), l);
        EXPECT_TRUE(codes.insert(languageAffix(l)).second) << "two variants share data files";
    }
    EXPECT_EQ(ordinal, 73);
    const std::pair<Language, std::string_view> known[] = {
        {L::Afrikaans, "af"},
        {L::English_US, "en-us"},
        {L::English_GB, "en-gb"},
        {L::German_Swiss, "de-ch-1901"},
        {L::Chinese, "zh-latn-pinyin"},
        {L::Ethiopic, "mul-ethi"},
        {L::Latin_Classic, "la-x-classic"},
        {L::Welsh, "cy"},
    };
    for (const auto& [language, code] : known)
        EXPECT_EQ(languageAffix(language), code) << show(language);
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
