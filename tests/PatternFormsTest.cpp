// The forms a pattern trie takes inside: lookups on the node form (tries
// made by insertion, merging or the constructor) and on the nodes parsing
// built, against the reference scorer and the packed trie, and when such a
// trie is packed; the packed automaton stepped by rows against the same
// automaton stepped by failure links.
#include "PinnedData.hpp"
#include "ReferenceScorer.hpp"
#include "Support.hpp"

#include "detail/engine/PatternsRep.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using namespace sillabor_test;
using Text::Sillabor::detail::NodeRep;
using Text::Sillabor::detail::ParsedRep;
using Text::Sillabor::detail::PatternsAccess;
using Text::Sillabor::detail::PatternsRep;

const NodeRep& nodeOf(const Patterns& p) {
    const auto& rep = PatternsAccess::rep(p);
    EXPECT_TRUE(rep && rep->kind() == PatternsRep::Kind::Node);
    return static_cast<const NodeRep&>(*rep);
}

// The parsed trie behind `p`, packed or not.
const ParsedRep& parsedOf(const Patterns& p) {
    const auto& rep = PatternsAccess::rep(Text::Sillabor::detail::resolved(p));
    EXPECT_TRUE(rep && rep->kind() == PatternsRep::Kind::Parsed);
    return static_cast<const ParsedRep&>(*rep);
}

// Words of every kind the fast path treats apart: capitals, letters no
// pattern has, exceptions, very short, and longer than a word mask.
const std::vector<std::u32string>& variedWords() {
    static const std::u32string longer =
        std::u32string(U"representationalism") + U"antidisestablishmentarianism";
    static const std::vector<std::u32string> words{
        U"Typesetting", U"hyphenation", U"encyclopedia",  U"algorithmically",
        U"project",     U"associate",   U"Käsebrot",      U"a",
        U"ab",          U"abc",         U"UNDERSTANDING", U"x😀y-zzz",
        longer};
    return words;
}

TEST(PatternForms, AParsedTrieIsReadAsItIsUntilItsLookupsPayForPacking) {
    SILLABOR_NEEDS_PINNED_DATA();
    // A hyphenator fresh from its file scores its first words on the parsed
    // nodes, with the breaks the packed trie gives, through hyphenate and a
    // BreakFinder alike; then it is packed once and the nodes are let go.
    using Text::Sillabor::detail::packedTrie;
    using Text::Sillabor::detail::packedTrieIfMade;
    const Hyphenator packed = loadHyphenator(Language::English_US);
    ASSERT_TRUE(packedTrie(packed.hyphenatorPatterns).packed());
    const Hyphenator fresh = loadHyphenator(Language::English_US);
    BreakFinder find;
    const std::vector<std::u32string>& words = variedWords();
    std::size_t used = 0;
    for (; !packedTrieIfMade(fresh.hyphenatorPatterns); ++used) {
        ASSERT_LT(used, 100000u) << "never packed";
        ASSERT_NE(parsedOf(fresh.hyphenatorPatterns).nodes(), nullptr);
        const std::u32string& w = words[used % words.size()];
        const std::vector<std::u32string> expected = hyphenate(packed, w);
        ASSERT_EQ(hyphenate(fresh, w), expected) << utf8(w);
        const auto breaks = find(fresh, w);
        ASSERT_EQ(breaks.size() + 1, expected.size()) << utf8(w);
    }
    // English has about 9,000 nodes, a word takes a few dozen steps.
    EXPECT_GT(used, 50u);
    EXPECT_EQ(parsedOf(fresh.hyphenatorPatterns).nodes(), nullptr);
    for (const std::u32string& w : words)
        EXPECT_EQ(hyphenate(fresh, w), hyphenate(packed, w)) << utf8(w);
}

TEST(PatternForms, TheParsedNodesScoreAsTheReferenceDoes) {
    // Unsorted lines (children out of order), more than 16 children under a
    // node (searched through an index), and characters beyond the Basic
    // Multilingual Plane; every lookup made before packing reads the nodes.
    Random random(29);
    std::u32string letters = U".é😀𐐀";
    for (char32_t c = U'a'; c <= U'z'; ++c)
        letters += c;
    std::size_t onNodes = 0;
    for (int round = 0; round < 100; ++round) {
        const std::u32string text = random.patternText(letters, 1 + random.below(60), 4);
        const Patterns t = parsePatterns(text);
        const sillabor_reference::Trie reference(text);
        for (int k = 0; k < 30; ++k) {
            if (Text::Sillabor::detail::unpaidParse(t)) ++onNodes;
            const std::u32string w = random.word(letters.substr(1), 12);
            ASSERT_EQ(lookupPattern(w, t), reference.lookup(w)) << utf8(text) << utf8(w);
        }
    }
    EXPECT_GT(onNodes, 500u);
}

TEST(PatternForms, TheNodeFormScoresAsTheReferenceDoes) {
    Random random(23);
    constexpr std::u32string_view letters = U"abcde.\u00e9\U0001F600";
    for (int round = 0; round < 200; ++round) {
        // Half the patterns parsed (the packed form), the other half inserted
        // over them one by one: a root on the node form over packed subtries.
        const std::u32string base = random.patternText(letters, random.below(20), 5);
        std::u32string text = base;
        Patterns t = parsePatterns(base);
        for (std::size_t i = random.below(20); i-- > 0;) {
            const std::u32string p = random.pattern(letters, 5);
            t = insertPattern(p, t);
            text = p + U"\n" + text; // the later insertion wins, as the first line does
        }
        const sillabor_reference::Trie reference(text);
        for (int k = 0; k < 20; ++k) {
            const std::u32string w = random.word(U"abcde\u00e9\U0001F6000", 12);
            // A copy made anew, so that every lookup is its first.
            const Patterns fresh = Patterns(t.scores(), t.children());
            ASSERT_EQ(lookupPattern(w, fresh), reference.lookup(w))
                << "patterns:\n"
                << utf8(text) << "word: " << utf8(w);
            if (PatternsAccess::rep(fresh)->kind() == PatternsRep::Kind::Node) {
                ASSERT_EQ(nodeOf(fresh).packed.peek(), nullptr);
            }
        }
    }
    // Scores that are not digits (letterless, negative, reaching far past
    // the word, or a list shorter than its pattern): the node form against
    // the packed form of the same trie.
    const std::u32string words[] = {U"", U"a", U"bx", U"ab", U"xab", U"bbbbbb", U"xcdx", U"cdcd"};
    auto onNodesThenPacked = [&words](const Patterns& p) {
        std::vector<Scores> onNodes;
        for (const auto& w : words) {
            const Patterns fresh(p.scores(), p.children()); // its first lookup
            onNodes.push_back(lookupPattern(w, fresh));
            EXPECT_EQ(nodeOf(fresh).packed.peek(), nullptr);
        }
        for (int i = 0; i < 1000 && !nodeOf(p).packed.peek(); ++i)
            (void)lookupPattern(U"ab", p);
        EXPECT_NE(nodeOf(p).packed.peek(), nullptr);
        for (std::size_t i = 0; i < std::size(words); ++i)
            EXPECT_EQ(lookupPattern(words[i], p), onNodes[i]) << utf8(words[i]);
        return onNodes;
    };
    const Patterns odd(Scores{0, 0, 0, 3},
                       {{U'a', Patterns(Scores{-1, -2, -3, -4}, {})},
                        {U'.', Patterns(Scores{}, {{U'b', Patterns(Scores{5, 0, 0, 0, 7}, {})}})}});
    EXPECT_EQ(onNodesThenPacked(odd)[1], (Scores{0, 0, 3, 3, 3}));
    const Patterns shortLists(Scores{},
                              {{U'a', Patterns(Scores{4}, {})},
                               {U'c', Patterns(Scores{}, {{U'd', Patterns(Scores{0, 2}, {})}})}});
    const std::vector<Scores> shortScores = onNodesThenPacked(shortLists);
    EXPECT_EQ(shortScores[6], (Scores{0, 0, 2, 0}));
    EXPECT_EQ(shortScores[3], (Scores{4, 0}));
}

TEST(PatternForms, ATrieIsPackedOnlyOnceItsLookupsPayForIt) {
    std::u32string text;
    for (char32_t a = U'a'; a <= U'z'; ++a)
        for (char32_t b = U'a'; b <= U'z'; ++b)
            text += std::u32string{a, U'1', b} + U"\n";
    Patterns t = parsePatterns(text);
    // Changed before every lookup: never packed.
    for (int i = 0; i < 200; ++i) {
        const Score digit = 1 + i % 9;
        t = insertPattern(std::u32string{U'q', U'u', static_cast<char32_t>(U'0' + digit)}, t);
        EXPECT_EQ(lookupPattern(U"quixotic", t)[2], digit); // the latest insertion holds
        ASSERT_EQ(nodeOf(t).packed.peek(), nullptr);
    }
    // Looked up again and again: packed once the work reaches the size, with
    // the same scores before and after.
    const Scores first = lookupPattern(U"hyphenation", t);
    std::size_t lookups = 1;
    while (!nodeOf(t).packed.peek()) {
        ASSERT_LT(lookups, 10000u) << "never packed";
        EXPECT_EQ(lookupPattern(U"hyphenation", t), first);
        ++lookups;
    }
    EXPECT_GT(lookups, 2u);
    EXPECT_EQ(lookupPattern(U"hyphenation", t), first);
}

TEST(PatternForms, ALargeTrieWithCharactersBeyondTheBasicPlane) {
    // Tries of 4,096 nodes or more gather their alphabet another way, and no
    // shipped language has both that many nodes and characters above
    // U+FFFF: compare such a trie with the reference.
    Random random(31);
    constexpr std::u32string_view letters = U"ab\u00e9\u4e2d\uffff\U00010000\U0001F600\U0010FFFF.";
    const std::u32string text = random.patternText(letters, 3000, 7);
    const Patterns t = parsePatterns(text);
    ASSERT_GE(Text::Sillabor::detail::packedTrie(t).stateCount(), 4096u);
    const sillabor_reference::Trie reference(text);
    for (int k = 0; k < 2000; ++k) {
        const std::u32string w =
            random.word(U"ab\u00e9\u4e2d\uffff\U00010000\U0001F600\U0010FFFF\U0010FFFE", 14);
        ASSERT_EQ(lookupPattern(w, t), reference.lookup(w)) << utf8(w);
    }
}

namespace {

// The classes of the characters of w in `trie`.
auto classes(const Text::Sillabor::detail::FlatTrie& trie, const std::u32string& w) {
    return [&trie, &w](std::size_t i) { return trie.classOf(w[i]); };
}

// The marks of the bracketed w's gaps, 0 .. w.size() + 2, by the failure links.
std::vector<std::uint8_t> marks(const Text::Sillabor::detail::FlatTrie& trie,
                                const std::u32string& w) {
    std::vector<std::uint8_t> gaps(16 + w.size() + 18, 0);
    trie.markGaps(w.size(), classes(trie, w), gaps.data() + 16);
    return {gaps.begin() + 16, gaps.begin() + 16 + static_cast<std::ptrdiff_t>(w.size()) + 3};
}

} // namespace

TEST(PatternForms, RowsStepAsTheFailureLinksDo) {
    SILLABOR_NEEDS_PINNED_DATA();
    using Text::Sillabor::detail::Cursor;
    using Text::Sillabor::detail::FlatTrie;
    using Text::Sillabor::detail::Rows;
    Random random(37);
    // Few letters and long patterns, so that words fail often and deep.
    constexpr std::u32string_view letters = U"abc.\u00e9";
    std::size_t withRows = 0;
    for (int round = 0; round < 200; ++round) {
        // Patterns as pattern files have them: letters, with a digit or none
        // before each and after the last.
        std::u32string text;
        for (std::size_t lines = 1 + random.below(60); lines-- > 0;) {
            // Mostly short, as in pattern files; a third of the rounds have
            // patterns of up to 15 characters, which take fewer gaps at once.
            for (std::size_t n = 1 + random.below(round % 3 == 0 ? 15 : 6); n-- > 0;) {
                if (random.below(2)) text += static_cast<char32_t>(U'1' + random.below(9));
                text += letters[random.below(letters.size())];
            }
            if (random.below(2)) text += static_cast<char32_t>(U'1' + random.below(9));
            text += U'\n';
        }
        const Patterns t = parsePatterns(text);
        const FlatTrie& byRows = Text::Sillabor::detail::packedTrie(t);
        const auto byLinks = Text::Sillabor::detail::pack(Cursor(t), Rows::never);
        ASSERT_FALSE(byLinks->rowsPlanned());
        ASSERT_TRUE(byRows.packed()) << utf8(text);
        byRows.makeRows();
        withRows += byRows.hasRows();
        for (int k = 0; k < 30; ++k) {
            // Up to the longest word the rows take, and one past it.
            const std::u32string w = random.word(U"abc\u00e9x", FlatTrie::maskedLength + 1);
            const std::vector<std::uint8_t> expected = marks(*byLinks, w);
            std::uint64_t odd = 0;
            const bool masked = byRows.oddGaps(w.size(), classes(byRows, w), odd);
            ASSERT_EQ(masked, w.size() <= FlatTrie::maskedLength) << utf8(w);
            if (masked) {
                for (std::size_t p = 0; p < expected.size(); ++p)
                    ASSERT_EQ((odd >> p) & 1, expected[p] & 1u) << utf8(w) << ", gap " << p;
                ASSERT_EQ(odd >> expected.size(), 0u) << utf8(w);
            }
            ASSERT_EQ(marks(byRows, w), expected) << utf8(w);
        }
    }
    EXPECT_EQ(withRows, 200u);
    // A trie too large for rows steps by its links.
    EXPECT_FALSE(Text::Sillabor::detail::packedTrie(
                     languageHyphenator(Language::Hungarian).hyphenatorPatterns)
                     .rowsPlanned());
}

// The rows take the lowest gaps of their window four at a time where no
// pattern is longer than 12 characters, two at a time up to 14, else one at
// a time: a gap is only taken once no later match can raise it. Each length,
// at each place in a word, cuts as the links mark.
TEST(PatternForms, RowsTakeGapsOnlyOnceNoLongerPatternCanRaiseThem) {
    using namespace Text::Sillabor::detail;
    const std::u32string letters = U"abcdefghijklmno";
    for (std::size_t length = 12; length <= 15; ++length) {
        const std::u32string text = U"1" + letters.substr(0, length) + U"1\nc1d\n";
        const Patterns t = parsePatterns(text);
        const FlatTrie& trie = packedTrie(t);
        trie.makeRows();
        ASSERT_TRUE(trie.hasRows()) << utf8(text);
        const Hyphenator h{[](char32_t c) { return c; }, t, Exceptions{}, 1, 1};
        BreakFinder find;
        for (std::size_t before = 0; before < 8; ++before) {
            const std::u32string word =
                std::u32string(before, U'x') + letters.substr(0, length) + std::u32string(16, U'x');
            std::uint64_t odd = 0;
            ASSERT_TRUE(trie.oddGaps(word.size(), classes(trie, word), odd)) << utf8(word);
            const std::vector<std::uint8_t> expected = marks(trie, word);
            std::vector<std::size_t> cuts;
            for (std::size_t i = 0; i + 1 < word.size(); ++i)
                if (expected[i + 2] % 2 == 1) cuts.push_back(i);
            ASSERT_EQ(cuts.size(), before == 0 ? 2u : 3u) << utf8(word);
            const auto found = find(h, word);
            EXPECT_EQ(std::vector<std::size_t>(found.begin(), found.end()), cuts) << utf8(word);
        }
    }
}

TEST(PatternForms, RowsAreMadeOnceEnoughWordsHaveBeenMarked) {
    SILLABOR_NEEDS_PINNED_DATA();
    // A first use pays for the trie and its links only; the rows come once
    // the links have marked enough words to be worth replacing.
    using Text::Sillabor::detail::FlatTrie;
    const Hyphenator h = loadHyphenator(Language::English_US);
    const FlatTrie& trie = Text::Sillabor::detail::packedTrie(h.hyphenatorPatterns);
    ASSERT_TRUE(trie.rowsPlanned());
    ASSERT_FALSE(trie.hasRows());
    const std::vector<std::u32string> expected = hyphenate(h, U"typesetting");
    std::uint64_t words = 1;
    for (; words < FlatTrie::rowsAfterWords; ++words) {
        ASSERT_FALSE(trie.hasRows()) << words;
        ASSERT_EQ(hyphenate(h, U"typesetting"), expected);
    }
    EXPECT_TRUE(trie.hasRows());
    const std::size_t withRows = trie.bytes();
    EXPECT_EQ(hyphenate(h, U"typesetting"), expected);
    EXPECT_EQ(trie.bytes(), withRows);
}

// Four threads cut `words` on `h` at once, `each` words apiece (through a
// BreakFinder as well when `withFinder`): the number of cuts that differ from
// those of a hyphenator of the same language that no other thread uses.
int wrongCutsInFourThreads(const Hyphenator& h, const std::vector<std::u32string>& words,
                           std::size_t each, bool withFinder) {
    const Hyphenator other = loadHyphenator(Language::English_US);
    std::vector<std::vector<std::u32string>> expected;
    for (const std::u32string& w : words)
        expected.push_back(hyphenate(other, w));
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            BreakFinder find;
            for (std::size_t i = 0; i < each; ++i) {
                const std::size_t k = (i + t) % words.size();
                if (hyphenate(h, words[k]) != expected[k]) wrong.fetch_add(1);
                if (withFinder && find(h, words[k]).size() + 1 != expected[k].size())
                    wrong.fetch_add(1);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    return wrong.load();
}

TEST(PatternForms, ThreadsThatCrossTheRowThresholdAgree) {
    SILLABOR_NEEDS_PINNED_DATA();
    // Four threads score words on one fresh trie while one of them makes the
    // rows: every word is cut the same way before, during and after.
    const Hyphenator h = loadHyphenator(Language::English_US);
    const std::vector<std::u32string> words{U"typesetting", U"encyclopedia", U"algorithmically",
                                            U"representation", U"hyphenation"};
    EXPECT_EQ(wrongCutsInFourThreads(h, words, 600, false), 0);
    EXPECT_TRUE(Text::Sillabor::detail::packedTrie(h.hyphenatorPatterns).hasRows());
}

TEST(PatternForms, ThreadsThatCrossThePackingThresholdAgree) {
    SILLABOR_NEEDS_PINNED_DATA();
    // Four threads score words on one freshly parsed trie while one of them
    // packs it and lets the nodes go that the others may still be reading.
    const Hyphenator h = loadHyphenator(Language::English_US);
    EXPECT_EQ(wrongCutsInFourThreads(h, variedWords(), 300, true), 0);
    EXPECT_NE(Text::Sillabor::detail::packedTrieIfMade(h.hyphenatorPatterns), nullptr);
}

TEST(PatternForms, HitsBeyondTheWindowScoreAsTheReferenceDoes) {
    // A pattern that scores a gap more than 16 before the end of its match,
    // or scores above 255, keeps hit lists: no windowed packs, no rows.
    using Text::Sillabor::detail::packedTrie;
    Random random(41);
    constexpr std::u32string_view letters = U"ab.\u00e9";
    for (int round = 0; round < 100; ++round) {
        std::u32string text = random.patternText(letters, 1 + random.below(40), 6);
        std::u32string longOne = U"9";
        for (std::size_t n = 17 + random.below(8); n-- > 0;)
            longOne += letters[random.below(2)];
        text += longOne + U"\n";
        const Patterns t = parsePatterns(text);
        ASSERT_FALSE(packedTrie(t).rowsPlanned()) << utf8(text);
        const sillabor_reference::Trie reference(text);
        for (int k = 0; k < 20; ++k) {
            const std::u32string w = random.word(U"ab\u00e9x", 30);
            ASSERT_EQ(lookupPattern(w, t), reference.lookup(w)) << utf8(text) << utf8(w);
        }
    }
    const Patterns big(Scores{}, {{U'a', Patterns(Scores{0, 300}, {})}});
    for (int i = 0; i < 1000 && !nodeOf(big).packed.peek(); ++i)
        ASSERT_EQ(lookupPattern(U"axa", big), (Scores{0, 300, 0}));
    ASSERT_NE(nodeOf(big).packed.peek(), nullptr);
    EXPECT_FALSE(packedTrie(big).rowsPlanned());
    EXPECT_EQ(lookupPattern(U"axa", big), (Scores{0, 300, 0}));
}

} // namespace
