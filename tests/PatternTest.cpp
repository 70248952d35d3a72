#include "ReferenceScorer.hpp"
#include "Support.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <sstream>

namespace {

using namespace sillabor_test;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr std::u32string_view hyphenationPatterns =
    U"hy3ph\nhe2n\nhen5at\nhena4\n1na\nn2at\n1tio\n2io\no2n\n";

// The scores stored at the end of `path`, or nothing if there is no node.
std::optional<Scores> scoresAt(const Patterns& trie, std::u32string_view path) {
    Patterns node = trie;
    for (char32_t c : path) {
        auto next = node.child(c);
        if (!next) return std::nullopt;
        node = *next;
    }
    return node.scores();
}

TEST(ScorePattern, GivesOneScorePerGap) {
    const std::pair<std::u32string_view, Scores> cases[] = {
        {U"", {0}},
        {U"1", {1}},
        {U"a1b", {0, 1, 0}},
        {U"1ab", {1, 0, 0}},
        {U"ab1", {0, 0, 1}},
        {U".ach4", {0, 0, 0, 0, 4}},
        {U"hy3ph", {0, 0, 3, 0, 0}},
        {U"b4le.", {0, 4, 0, 0, 0}},
        {U"a12b", {0, 1, 0, 0}}, // the second digit takes a letter's place
        {U"\u0661a", {0, 0, 0}}, // a digit outside ASCII is a letter
    };
    for (const auto& [pattern, scores] : cases)
        EXPECT_EQ(scorePattern(pattern), scores) << utf8(pattern);
}

TEST(InsertPattern, ReplacesTheScoresOfTheSameLetters) {
    Patterns t = insertPattern(U"ab2", insertPattern(U"a1b", Patterns{}));
    EXPECT_EQ(scoresAt(t, U"ab"), (Scores{0, 0, 2}));
    EXPECT_EQ(scoresAt(t, U"a"), Scores{});
    EXPECT_EQ(show(insertPattern(U"a1b", Patterns{})),
              "Patterns [] (fromList [(97,Patterns [] (fromList [(98,Patterns [0,1,0] (fromList "
              "[]))]))])");
}

TEST(InsertPattern, LeavesItsInputAndTheRestOfTheTrieAlone) {
    const Patterns base = parsePatterns(hyphenationPatterns);
    const std::string before = show(base);
    const Patterns grown = insertPattern(U"hy5ph", base);
    EXPECT_EQ(show(base), before);
    EXPECT_EQ(scoresAt(grown, U"hyph"), (Scores{0, 0, 5, 0, 0}));
    EXPECT_EQ(scoresAt(grown, U"hen"), (Scores{0, 0, 2, 0}));
    // Inserting into the middle of a packed trie gives the same trie as
    // parsing the changed text.
    EXPECT_EQ(grown, parsePatterns(U"hy5ph\n" + std::u32string(hyphenationPatterns)));
    EXPECT_EQ(insertPattern(U"xyz", base) | base, insertPattern(U"xyz", base));
}

TEST(ParsePatterns, TheFirstLineWithTheSameLettersWins) {
    EXPECT_EQ(scoresAt(parsePatterns(U"a1b\nab2"), U"ab"), (Scores{0, 1, 0}));
    EXPECT_EQ(scoresAt(parsePatterns(U"ab2\na1b\n"), U"ab"), (Scores{0, 0, 2}));
}

TEST(ParsePatterns, TakesEveryLineAsItIs) {
    EXPECT_EQ(parsePatterns(U""), Patterns{});
    // An empty line is a pattern without letters: it scores the root.
    EXPECT_EQ(parsePatterns(U"\n").scores(), Scores{0});
    EXPECT_EQ(parsePatterns(U"a1b\n\nc1d\n").scores(), Scores{0});
    // A carriage return or a space is a letter like any other.
    EXPECT_EQ(scoresAt(parsePatterns(U"a1b\r\n"), U"ab\r"), (Scores{0, 1, 0, 0}));
    EXPECT_EQ(scoresAt(parsePatterns(U"a 1b"), U"a b"), (Scores{0, 0, 1, 0}));
    // A final line feed adds no line; a missing one loses none.
    EXPECT_EQ(parsePatterns(U"a1b\nc2d\n"), parsePatterns(U"a1b\nc2d"));
}

TEST(Merge, KeepsTheLargerScoreOfTheSameLetters) {
    const Patterns merged = parsePatterns(U"a1b") | parsePatterns(U"ab2");
    EXPECT_EQ(scoresAt(merged, U"ab"), (Scores{0, 1, 2}));
    EXPECT_EQ(zipMax(Scores{1, 5}, Scores{3, 0, 7}), (Scores{3, 5, 7}));
    EXPECT_EQ(zipMax(Scores{}, Scores{2}), Scores{2});
}

TEST(LookupPattern, ScoresTheWorkedExamples) {
    EXPECT_THAT(lookupPattern(U"", Patterns{}), IsEmpty());
    EXPECT_EQ(lookupPattern(U"hyphenation", parsePatterns(hyphenationPatterns)),
              (Scores{0, 0, 3, 0, 0, 2, 5, 4, 2, 0, 2}));
    // "b4le." matches at the end, so the gap after the last letter is there.
    EXPECT_EQ(lookupPattern(U"table", parsePatterns(U".ta4\n1ta\n2tab\nb2l2\nb4le.\n")),
              (Scores{2, 0, 4, 4, 2, 0}));
    EXPECT_EQ(lookupPattern(U"uniform", parsePatterns(U"u1ni\n1fo\nfo2r\nr1m\n")),
              (Scores{0, 1, 0, 1, 0, 2, 1}));
}

TEST(LookupPattern, CharactersWithoutPatternsEndTheWalks) {
    const Patterns t = parsePatterns(U"a1\n1b\nab5c\n");
    // The walk "ab" breaks at the digit; the scores around it still come from
    // the patterns that end before it and begin after it.
    EXPECT_EQ(lookupPattern(U"a7b", t), (Scores{0, 1, 1}));
    EXPECT_EQ(lookupPattern(U"a b", t), (Scores{0, 1, 1}));
    EXPECT_EQ(lookupPattern(U"abc", t), (Scores{0, 1, 5}));
}

TEST(LookupPattern, ALetterlessPatternReachesPastTheWord) {
    const Patterns t = parsePatterns(U"\n1a\n");
    EXPECT_EQ(lookupPattern(U"ab", t), (Scores{1, 0, 0}));
    // A root list longer than one element shows past the gap after the word.
    EXPECT_EQ(lookupPattern(U"x", Patterns(Scores{0, 0, 0, 3}, {})), (Scores{0, 0, 3, 3, 3}));
}

TEST(LookupPattern, NegativeScoresShowOnlyBeyondTheWord) {
    const Patterns t(Scores{}, {{U'a', Patterns(Scores{-1, -2, -3, -4}, {})}});
    EXPECT_EQ(lookupPattern(U"a", t), (Scores{0, 0, -3}));
}

TEST(LookupPattern, AgreesWithTheReferenceOnRandomPatterns) {
    Random random(7);
    constexpr std::u32string_view letters = U"abcde.\u00e9\U0001F600";
    for (int round = 0; round < 300; ++round) {
        const std::u32string text = random.patternText(letters, random.below(30), 5);
        const Patterns t = parsePatterns(text);
        const sillabor_reference::Trie reference(text);
        for (int k = 0; k < 20; ++k) {
            const std::u32string w = random.word(U"abcde\u00e9\U0001F6000", 12);
            ASSERT_EQ(lookupPattern(w, t), reference.lookup(w))
                << "patterns:\n"
                << utf8(text) << "word: " << utf8(w);
        }
    }
}

TEST(LookupPattern, TheSameTrieBuiltAnyWayScoresAlike) {
    Random random(11);
    constexpr std::u32string_view letters = U"abcd";
    for (int round = 0; round < 100; ++round) {
        std::vector<std::u32string> lines;
        for (std::size_t i = random.below(20); i-- > 0;)
            lines.push_back(random.pattern(letters, 4));
        std::u32string text;
        Patterns inserted;
        for (auto it = lines.rbegin(); it != lines.rend(); ++it)
            inserted = insertPattern(*it, inserted);
        for (const auto& l : lines)
            text += l + U"\n";
        const Patterns parsed = parsePatterns(text);
        ASSERT_EQ(parsed, inserted) << utf8(text);
        ASSERT_EQ(show(parsed), show(inserted));
        const std::u32string w = random.word(letters, 10);
        ASSERT_EQ(lookupPattern(w, parsed), lookupPattern(w, inserted));
    }
}

TEST(PatternsValue, CombinesAsAnIdempotentCommutativeMonoid) {
    Random random(3);
    constexpr std::u32string_view letters = U"abc";
    auto gen = [&] {
        // Mix packed and node-built tries, so that merges cross the two forms.
        const std::u32string text = random.patternText(letters, random.below(8), 3);
        return random.below(2) ? parsePatterns(text)
                               : insertPattern(random.pattern(letters, 3), parsePatterns(text));
    };
    for (int round = 0; round < 200; ++round) {
        const Patterns a = gen(), b = gen(), c = gen();
        ASSERT_EQ(a | (b | c), (a | b) | c);
        ASSERT_EQ(a | b, b | a);
        ASSERT_EQ(a | a, a);
        ASSERT_EQ(a | Patterns{}, a);
        ASSERT_EQ(Patterns::mempty() | a, a);
        const std::array<Patterns, 3> all{a, b, c};
        ASSERT_EQ(sconcat(all), a | (b | c));
        ASSERT_EQ(mconcat(all), a | (b | c));
        ASSERT_EQ(stimes(3, a), a);
        // The merge scores every gap of a word at least as high as each side.
        const std::u32string w = random.word(letters, 8);
        const Scores sa = lookupPattern(w, a), sb = lookupPattern(w, b);
        const Scores sab = lookupPattern(w, a | b);
        ASSERT_EQ(sab, lookupPattern(w, b | a));
        for (std::size_t k = 0; k < w.size(); ++k)
            ASSERT_GE(sab[k], std::max(sa[k], sb[k]));
    }
    EXPECT_EQ(mconcat(std::span<const Patterns>{}), Patterns{});
    EXPECT_THROW(sconcat(std::span<const Patterns>{}), std::invalid_argument);
    EXPECT_THROW(stimes(0, Patterns{}), std::invalid_argument);
}

TEST(PatternsValue, ShowsItsTextForm) {
    EXPECT_EQ(show(Patterns{}), "Patterns [] (fromList [])");
    EXPECT_EQ(showsPrec(11, Patterns{}), "(Patterns [] (fromList []))");
    EXPECT_EQ(showsPrec(10, Patterns{}, "!"), "Patterns [] (fromList [])!");
    const Patterns ab = parsePatterns(U"a1b");
    EXPECT_EQ(show(ab), "Patterns [] (fromList [(97,Patterns [] (fromList [(98,Patterns "
                        "[0,1,0] (fromList []))]))])");
    const std::array<Patterns, 2> two{Patterns{}, Patterns(Scores{-1}, {})};
    EXPECT_EQ(showList(two, "x"), "[Patterns [] (fromList []),Patterns [-1] (fromList [])]x");
    EXPECT_EQ(showList(std::span<const Patterns>{}), "[]");
    // Children in ascending order of code, whatever the order of the lines.
    EXPECT_EQ(show(parsePatterns(U"b1\na2\n")),
              "Patterns [] (fromList [(97,Patterns [0,2] (fromList [])),(98,Patterns [0,1] "
              "(fromList []))])");
    std::ostringstream out;
    out << ab;
    EXPECT_EQ(out.str(), show(ab));
}

TEST(PatternsValue, ExposesItsFields) {
    const Patterns t = parsePatterns(U"a1b\nac3\n");
    const auto kids = t.children();
    ASSERT_EQ(kids.size(), 1u);
    EXPECT_EQ(kids.begin()->first, U'a');
    EXPECT_EQ(kids.begin()->second.children().size(), 2u);
    EXPECT_EQ(t.child(U'z'), std::nullopt);
    // A node rebuilt from its own fields is equal to it.
    EXPECT_EQ(Patterns(t.scores(), t.children()), t);
    // An empty child is a child all the same.
    const Patterns withEmptyChild(Scores{}, {{U'a', Patterns{}}});
    EXPECT_NE(withEmptyChild, Patterns{});
    EXPECT_EQ(show(withEmptyChild), "Patterns [] (fromList [(97,Patterns [] (fromList []))])");
}

TEST(Unsnoc, SplitsOffTheLastElement) {
    EXPECT_EQ(unsnoc(std::vector<int>{1, 2, 3}), (std::pair{std::vector<int>{1, 2}, 3}));
    EXPECT_EQ(unsnoc(std::vector<int>{4}), (std::pair{std::vector<int>{}, 4}));
    EXPECT_EQ(unsnoc(std::vector<int>{}), std::nullopt);
}

} // namespace
