#include "ReferenceScorer.hpp"
#include "Support.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace sillabor_test;
using ::testing::StrEq;
using ::testing::ThrowsMessage;

constexpr std::u32string_view hyphenationPatterns =
    U"hy3ph\nhe2n\nhen5at\nhena4\n1na\nn2at\n1tio\n2io\no2n\n";
constexpr std::u32string_view uniformPatterns = U"u1ni\n1fo\nfo2r\nr1m\n";

struct Case {
    std::u32string_view patterns;
    std::u32string_view exceptions;
    std::ptrdiff_t left, right;
    std::u32string_view word;
    std::string_view expected; // pieces joined by "-"
};

TEST(Hyphenate, CutsTheWorkedExamples) {
    const Case cases[] = {
        {hyphenationPatterns, U"", 2, 3, U"hyphenation", "hy-phen-ation"},
        {uniformPatterns, U"", 1, 1, U"uniform", "u-ni-for-m"},
        {uniformPatterns, U"", 2, 3, U"uniform", "uni-form"},
        {uniformPatterns, U"", 2, 2, U"uniform", "uni-form"},
        // Exceptions win over patterns.
        {U"", U"ta-ble", 2, 3, U"table", "ta-ble"},
        {U"", U"as-so-ciate", 2, 3, U"associate", "as-so-ciate"},
        {uniformPatterns, U"uniform", 1, 1, U"uniform", "uniform"},
        // Short words come back whole, exception or not.
        {U"", U"ab-cd", 2, 3, U"abcd", "abcd"},
        {U"", U"", 0, 0, U"", ""},
        {U"", U"", 5, 5, U"", ""},
        // Two entries for one word keep the breaks both mark.
        {U"", U"a-b-cdef\nab-c-def", 1, 1, U"abcdef", "ab-cdef"},
        {U"", U"", 1, 1, U"xyz", "xyz"},
    };
    for (const Case& c : cases) {
        const Hyphenator h = plainHyphenator(c.patterns, c.exceptions, c.left, c.right);
        EXPECT_EQ(joined(hyphenate(h, c.word)), c.expected)
            << utf8(c.word) << " with minima " << c.left << "," << c.right;
    }
}

TEST(Hyphenate, AShortStoredListEndsTheBreaksEarly) {
    const Hyphenator h{identity, parsePatterns(U"e1f"),
                       Exceptions(Exceptions::Map{{U"abcdef", {0, 1, 1}}}), 1, 1};
    EXPECT_EQ(joined(hyphenate(h, U"abcdef")), "a-b-cdef");
}

TEST(Hyphenate, KeepsTheCallersCharacters) {
    Hyphenator h = plainHyphenator(U"", U"ta-ble", 2, 3);
    h.hyphenatorChars = [](char32_t c) { return c >= U'A' && c <= U'Z' ? c + 32 : c; };
    EXPECT_EQ(joined(hyphenate(h, U"Table")), "Ta-ble");
    EXPECT_EQ(joined(hyphenate(h, U"TABLE")), "TA-BLE");
}

TEST(Hyphenate, ZeroAndNegativeMinimaLetTheEdgesThrough) {
    // An odd score after the last character makes an empty last piece.
    EXPECT_EQ(joined(hyphenate(plainHyphenator(U"c1.", U"", 1, 0), U"abc")), "abc-");
    EXPECT_EQ(joined(hyphenate(plainHyphenator(U"", U"ab-", 0, 0), U"ab")), "ab-");
    // An odd score on the gap before the first character never cuts.
    EXPECT_EQ(joined(hyphenate(plainHyphenator(U".1a", U"", -3, -3), U"ab")), "ab");
    EXPECT_EQ(joined(hyphenate(plainHyphenator(uniformPatterns, U"", 0, 0), U"uniform")),
              "u-ni-for-m");
    EXPECT_EQ(joined(hyphenate(plainHyphenator(uniformPatterns, U"", -5, 1), U"uniform")),
              "u-ni-for-m");
}

TEST(Hyphenate, AbortsOnAnEmptyStoredListWithoutALeftMinimum) {
    const Hyphenator h{identity, Patterns{}, Exceptions(Exceptions::Map{{U"abc", {}}}), 0, 1};
    EXPECT_THAT([&] { hyphenate(h, U"abc"); },
                ThrowsMessage<std::invalid_argument>(StrEq("Malformed hyphenation score for abc")));
    Hyphenator withLeft = h;
    withLeft.hyphenatorLeftMin = 1;
    EXPECT_EQ(joined(hyphenate(withLeft, U"abc")), "abc");
    // The message quotes the caller's word, before normalisation, in UTF-8.
    Hyphenator folding{[](char32_t c) { return c == U'\u00c9' ? U'a' : c; }, Patterns{},
                       Exceptions(Exceptions::Map{{U"abc", {}}}), 0, 0};
    EXPECT_THAT(
        [&] { hyphenate(folding, U"\u00c9bc"); },
        ThrowsMessage<std::invalid_argument>(StrEq("Malformed hyphenation score for \xC3\x89"
                                                   "bc")));
}

TEST(Hyphenate, ExtremeMinimaDoNotOverflow) {
    constexpr auto big = std::numeric_limits<std::ptrdiff_t>::max();
    constexpr auto small = std::numeric_limits<std::ptrdiff_t>::min();
    const Hyphenator base = plainHyphenator(uniformPatterns, U"", 0, 0);
    auto with = [&](std::ptrdiff_t l, std::ptrdiff_t r) {
        Hyphenator h = base;
        h.hyphenatorLeftMin = l;
        h.hyphenatorRightMin = r;
        return joined(hyphenate(h, U"uniform"));
    };
    EXPECT_EQ(with(big, big), "uniform");
    EXPECT_EQ(with(big, 1), "uniform");
    EXPECT_EQ(with(small, small), "u-ni-for-m");
    EXPECT_EQ(with(big, small), "uniform");
    EXPECT_EQ(with(small, big), "u-ni-for-m");
    EXPECT_EQ(with(1, small), "u-ni-for-m");
}

TEST(Hyphenate, AgreesWithTheReferenceOnRandomInput) {
    Random random(17);
    constexpr std::u32string_view letters = U"abcd.\u00e9";
    for (int round = 0; round < 400; ++round) {
        const std::u32string text = random.patternText(letters, random.below(25), 4);
        std::u32string exceptionText;
        for (std::size_t i = random.below(3); i-- > 0;)
            exceptionText += random.word(U"abcd-", 6) + U"\n";
        const auto lm = static_cast<std::ptrdiff_t>(random.below(5)) - 1;
        const auto rm = static_cast<std::ptrdiff_t>(random.below(5)) - 1;
        const Hyphenator h = plainHyphenator(text, exceptionText, lm, rm);

        const sillabor_reference::Trie trie(text);
        sillabor_reference::Hyphenator ref{identity, &trie, {}, lm, rm};
        for (const auto& [word, scores] : parseExceptions(exceptionText).map())
            ref.exceptions.emplace(word, scores);

        for (int k = 0; k < 25; ++k) {
            const std::u32string w = random.word(U"abcd\u00e9x", 9);
            const std::vector<std::u32string> pieces = hyphenate(h, w);
            ASSERT_EQ(pieces, sillabor_reference::hyphenate(ref, w))
                << "patterns:\n"
                << utf8(text) << "exceptions:\n"
                << utf8(exceptionText) << "minima " << lm << "," << rm << ", word " << utf8(w);
            std::u32string rejoined;
            for (const auto& p : pieces)
                rejoined += p;
            ASSERT_EQ(rejoined, w);
        }
    }
}

} // namespace

namespace {

// A CharacterMap lowers as its text says, the same read as a table or called
// through a wrapper, and builds a deferred table once, on first use.
TEST(CharacterMap, LowersAsItsTextSaysWhateverCallsIt) {
    const CharacterMap map = CharacterMap::fromText(U"aA\nbB\n\u00dfSS\nyY\nyZ\n");
    EXPECT_EQ(map(U'A'), U'a');
    EXPECT_EQ(map(U'Z'), U'y'); // a later line wins
    EXPECT_EQ(map(U'S'), U'S'); // a form of several characters maps nothing
    EXPECT_EQ(map(U'\u00e9'), U'\u00e9');
    EXPECT_EQ(CharacterMap{}(U'A'), U'A');

    const Patterns p = parsePatterns(U"a1b\n");
    const Hyphenator table{map, p, {}, 1, 1};
    const Hyphenator wrapped{[map](char32_t c) { return map(c); }, p, {}, 1, 1};
    for (std::u32string_view word : {U"ABAB", U"abab", U"AbZaB", U"\u00dfAB"})
        EXPECT_EQ(hyphenate(table, word), hyphenate(wrapped, word)) << utf8(word);
    EXPECT_EQ(joined(hyphenate(table, U"ABAB")), "A-BA-B");
}

TEST(CharacterMap, ADeferredMapIsBuiltOnceAndFailsTheSameWayEveryTime) {
    int builds = 0;
    const CharacterMap map = CharacterMap::deferred([&builds] {
        ++builds;
        return CharacterMap::fromText(U"aA\n");
    });
    EXPECT_EQ(builds, 0);
    EXPECT_EQ(map(U'A'), U'a');
    const CharacterMap copy = map;
    EXPECT_EQ(copy(U'A'), U'a');
    EXPECT_EQ(builds, 1);

    const CharacterMap broken =
        CharacterMap::deferred([]() -> CharacterMap { throw std::runtime_error("no file"); });
    EXPECT_THROW(broken(U'A'), std::runtime_error);
    EXPECT_THROW(broken(U'A'), std::runtime_error);
}

} // namespace
