// What a user's documents can hold, in one suite: huge words, lines and
// texts, control characters and code points that are not characters, many
// threads at once; every part of the library must take them in linear time.
#include "AllocationCounter.hpp"
#include "PinnedData.hpp"
#include "ReferenceScorer.hpp"
#include "Support.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

namespace {

using namespace sillabor_test;

std::u32string concatenated(const std::vector<std::u32string>& pieces) {
    std::u32string out;
    for (const auto& p : pieces)
        out += p;
    return out;
}

TEST(Hostile, ATenMegabyteWordIsCutAndKeptWhole) {
    SILLABOR_NEEDS_PINNED_DATA();
    std::string word;
    while (word.size() < 10'000'000)
        word += "hyphenationtypesetting\xc3\xa9";
    const auto pieces = hyphenate(english_US, word);
    std::string rejoined;
    for (const auto& p : pieces)
        rejoined += p;
    EXPECT_EQ(rejoined, word);
    EXPECT_GT(pieces.size(), 1'000'000u);
    EXPECT_EQ(hyphenate(english_US, std::u32string(10'000'000, U'\0')).size(), 1u);
}

TEST(Hostile, AMillionIdenticalExceptionLinesMakeOneEntry) {
    SILLABOR_NEEDS_PINNED_DATA();
    std::u32string text;
    text.reserve(7'000'000);
    for (int i = 0; i < 1'000'000; ++i)
        text += U"ta-ble\n";
    const Exceptions d = parseExceptions(text);
    EXPECT_EQ(d, parseExceptions(U"ta-ble\n"));
    Hyphenator h = english_US;
    h.hyphenatorExceptions = d;
    EXPECT_EQ(joined(hyphenate(h, U"table")), "ta-ble");
}

TEST(Hostile, EveryKindOfCodePointIsAnOrdinaryCharacter) {
    SILLABOR_NEEDS_PINNED_DATA();
    // Controls, NUL, DEL and C1, surrogates, noncharacters, the largest code
    // point and values past it: in patterns, entries and words alike.
    std::u32string odd;
    for (char32_t c = 0; c < 0x20; ++c)
        if (c != U'\n') odd += c;
    for (char32_t c : {0x7Fu, 0x85u, 0x9Fu, 0xADu, 0xD800u, 0xDBFFu, 0xDC00u, 0xDFFFu, 0xFFFEu,
                       0xFFFFu, 0x10FFFFu, 0x110000u, 0x7FFFFFFFu, 0xFFFFFFFFu})
        odd += c;
    std::u32string patterns, entries;
    for (std::size_t i = 0; i + 1 < odd.size(); ++i) {
        patterns += std::u32string{odd[i], U'1', odd[i + 1], U'\n'};
        entries += std::u32string{U'a', odd[i], U'-', odd[i + 1], U'\n'};
    }
    const Hyphenator h{identity, parsePatterns(patterns), parseExceptions(entries), 1, 1};
    for (std::size_t i = 0; i + 1 < odd.size(); ++i) {
        const std::u32string word{U'x', odd[i], odd[i + 1], U'y'};
        const auto pieces = hyphenate(h, word);
        ASSERT_EQ(pieces.size(), 2u) << i; // the pattern breaks between the two
        ASSERT_EQ(concatenated(pieces), word);
        const std::u32string listed{U'a', odd[i], odd[i + 1]};
        ASSERT_EQ(hyphenate(h, listed).size(), 2u) << i; // the entry does the same
    }
    const std::u32string all = odd + odd;
    EXPECT_EQ(concatenated(hyphenate(english_US, all)), all);
    EXPECT_EQ(concatenated(hyphenate(h, all)), all);
}

// Sixteen threads make the first use of all 73 ready-made hyphenators at
// once, each in its own order; they all end up with the same values.
TEST(Hostile, SixteenThreadsFirstUseEveryLanguage) {
    SILLABOR_NEEDS_PINNED_DATA();
    constexpr int threads = 16;
    std::vector<std::vector<const Hyphenator*>> seen(threads);
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back([&, t] {
            std::vector<Language> order;
            for (Language l : enumFrom(Language::Afrikaans))
                order.push_back(l);
            std::rotate(order.begin(), order.begin() + (t * 5) % 73, order.end());
            if (t % 2) std::reverse(order.begin(), order.end());
            ready.fetch_add(1);
            while (!go.load())
                std::this_thread::yield();
            seen[static_cast<std::size_t>(t)].resize(73);
            for (Language l : order) {
                const Hyphenator& h = languageHyphenator(l);
                hyphenate(h, U"abcdefghijklmnopqrstuvwxyz");
                seen[static_cast<std::size_t>(t)][static_cast<std::size_t>(fromEnum(l))] = &h;
            }
        });
    while (ready.load() != threads)
        std::this_thread::yield();
    go.store(true);
    for (auto& t : pool)
        t.join();
    for (int t = 1; t < threads; ++t)
        EXPECT_EQ(seen[static_cast<std::size_t>(t)], seen[0]);
}

// The work and memory of hyphenate and of the break finder grow in
// proportion to the word: the normaliser is called a fixed number of times
// per character, the bytes hyphenate allocates for 16 times the word are
// about 16 times as many, and a finder allocates almost nothing.
TEST(Hostile, WorkAndMemoryGrowLinearlyWithTheWord) {
    SILLABOR_NEEDS_PINNED_DATA();
    // Work is counted in calls of the normaliser, which every path of the
    // engine makes once a character, and in the allocations made, so that
    // the check does not depend on the machine's load.
    std::size_t calls = 0;
    const Hyphenator counted{[&calls](char32_t c) {
                                 ++calls;
                                 return c;
                             },
                             english_US->hyphenatorPatterns, Exceptions{}, 2, 3};
    const std::u32string unit = U"hyphenationdemocraticinstitutions";
    std::u32string small;
    while (small.size() < 500'000)
        small += unit;
    std::u32string large;
    for (int i = 0; i < 16; ++i)
        large += small;

    struct Work {
        std::size_t calls, bytes;
        unsigned long long allocations;
    };
    auto measure = [&](auto&& run) {
        calls = 0;
        const AllocationCount before = allocations;
        run();
        return Work{calls, allocations.bytes - before.bytes, allocations.calls - before.calls};
    };
    const Work small1 = measure([&] { hyphenate(counted, small); });
    const Work large1 = measure([&] { hyphenate(counted, large); });
    EXPECT_LE(small1.calls, 3 * small.size());
    EXPECT_LE(large1.calls, 16 * small1.calls);
    EXPECT_LE(large1.bytes, 20 * small1.bytes);

    BreakFinder find;
    find(counted, small); // the finder's scratch space, grown once
    const Work small2 = measure([&] { find(counted, small); });
    const Work large2 = measure([&] { find(counted, large); });
    EXPECT_LE(small2.calls, 3 * small.size());
    EXPECT_LE(large2.calls, 16 * small2.calls);
    EXPECT_LE(large2.allocations, 64u) << "a finder grows its scratch space a few times at most";
}

TEST(Hostile, AnyCodePointIsALetter) {
    const std::u32string odd = {U'\0', 0xD800, 0xDFFF, 0x110000, 0xFFFFFFFF};
    std::u32string text;
    for (char32_t c : odd)
        text += std::u32string{c, U'1', c, U'\n'};
    const Patterns t = parsePatterns(text);
    const sillabor_reference::Trie reference(text);
    const std::u32string word = {0xFFFFFFFF, 0xFFFFFFFF, U'\0', U'\0', 0xD800, 0x110000};
    EXPECT_EQ(lookupPattern(word, t), reference.lookup(word));
    EXPECT_EQ(lookupPattern(word, t), (Scores{0, 1, 0, 1, 0, 0}));
    EXPECT_EQ(lookupPattern(word, insertPattern(std::u32string{U'3', 0x110000}, t)).back(), 3);
}

TEST(Hostile, HugeLinesAndWordsStayLinear) {
    constexpr std::size_t million = 1'000'000;
    // A pattern of a million letters, parsed and inserted; deep tries are
    // walked, shown, merged, compared and released without recursion.
    std::u32string longPattern(million, U'a');
    longPattern += U"1.";
    const Patterns parsed = parsePatterns(longPattern);
    const Patterns inserted = insertPattern(longPattern, Patterns{});
    EXPECT_EQ(parsed, inserted);
    EXPECT_EQ(parsed | inserted, parsed);
    EXPECT_EQ(show(parsed).size(), show(inserted).size());
    const Scores s = lookupPattern(std::u32string(million, U'a'), parsed);
    ASSERT_EQ(s.size(), million + 1);
    EXPECT_EQ(s.back(), 1);
    // A node chain a million deep, built through the constructor.
    Patterns chain(Scores{1}, {});
    for (std::size_t i = 0; i < million; ++i)
        chain = Patterns(Scores{}, {{U'z', chain}});
    EXPECT_EQ(lookupPattern(U"zzz", chain).size(), 3u);
    chain = Patterns{};
    // A million empty lines, and a million digits on one line.
    EXPECT_EQ(parsePatterns(std::u32string(million, U'\n')).scores(), Scores{0});
    EXPECT_EQ(parsePatterns(std::u32string(million, U'7')).scores().size(), million / 2 + 1);
}

TEST(Hostile, ExceptionsTakeAnyTextInLinearTime) {
    constexpr std::size_t million = 1'000'000;
    std::u32string longEntry;
    for (std::size_t i = 0; i < million / 2; ++i)
        longEntry += U"a-";
    const Exceptions one = parseExceptions(longEntry);
    EXPECT_EQ(one.size(), 1u);
    EXPECT_EQ(lookupException(std::u32string(million / 2, U'a'), one)->size(), million / 2 + 1);
    EXPECT_EQ(parseExceptions(std::u32string(million, U'\n')).size(), 1u);
    std::u32string same;
    for (std::size_t i = 0; i < million / 10; ++i)
        same += U"ta-ble\n";
    EXPECT_EQ(parseExceptions(same), parseExceptions(U"ta-ble"));
    const std::u32string odd = {U'\0', 0xD800, 0x110000, 0xFFFFFFFF, U'-', U'x'};
    EXPECT_EQ(lookupException(std::u32string{U'\0', 0xD800, 0x110000, 0xFFFFFFFF, U'x'},
                              parseExceptions(odd)),
              (Scores{0, 0, 0, 0, 1, 0}));
}

TEST(Hostile, AMillionCharacterWordIsCutInLinearTime) {
    const Hyphenator h = plainHyphenator(U"u1ni\n1fo\nfo2r\nr1m\n", U"", 2, 2);
    std::u32string chunk = U"uniform";
    chunk += {char32_t{0}, char32_t{0xD800}}; // odd characters too
    std::u32string word;
    for (int i = 0; i < 100'000; ++i)
        word += chunk;
    const auto pieces = hyphenate(h, word);
    EXPECT_EQ(pieces.size(), 300'000u); // u-ni-for-m each time, but no break after the first u
    std::u32string rejoined;
    for (const auto& p : pieces)
        rejoined += p;
    EXPECT_EQ(rejoined, word);
}

} // namespace
