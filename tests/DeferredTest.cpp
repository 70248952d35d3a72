#include "Support.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using namespace sillabor_test;

constexpr std::u32string_view hyphenationPatterns =
    U"hy3ph\nhe2n\nhen5at\nhena4\n1na\nn2at\n1tio\n2io\no2n\n";

// Starts `count` threads that call `work(i)` as close to the same moment as
// the machine allows.
template <class Work>
void race(int count, Work work) {
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i)
        threads.emplace_back([&, i] {
            ready.fetch_add(1);
            while (!go.load())
                std::this_thread::yield();
            work(i);
        });
    while (ready.load() != count)
        std::this_thread::yield();
    go.store(true);
    for (auto& t : threads)
        t.join();
}

TEST(Deferred, PatternsAreBuiltOnceOnFirstUse) {
    std::atomic<int> calls{0};
    const Patterns t = Patterns::deferred([&] {
        ++calls;
        return parsePatterns(hyphenationPatterns);
    });
    const Patterns copy = t;
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(lookupPattern(U"hyphenation", copy), (Scores{0, 0, 3, 0, 0, 2, 5, 4, 2, 0, 2}));
    EXPECT_EQ(show(t), show(parsePatterns(hyphenationPatterns)));
    EXPECT_EQ(t | Patterns{}, parsePatterns(hyphenationPatterns));
    EXPECT_EQ(calls, 1);
}

TEST(Deferred, ExceptionsAreBuiltOnceOnFirstUse) {
    std::atomic<int> calls{0};
    const Exceptions d = Exceptions::deferred([&] {
        ++calls;
        return parseExceptions(U"ta-ble\n");
    });
    const Hyphenator h{identity, Patterns{}, d, 2, 3};
    EXPECT_EQ(joined(hyphenate(h, U"tab")), "tab"); // short: no lookup at all
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(joined(hyphenate(h, U"table")), "ta-ble");
    EXPECT_EQ(lookupException(U"table", d), (Scores{0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(calls, 1);
}

TEST(Deferred, RacingFirstUsesShareOneValue) {
    for (int round = 0; round < 20; ++round) {
        std::atomic<int> patternBuilds{0}, exceptionBuilds{0};
        const Hyphenator h{identity, Patterns::deferred([&] {
                               ++patternBuilds;
                               return parsePatterns(hyphenationPatterns);
                           }),
                           Exceptions::deferred([&] {
                               ++exceptionBuilds;
                               return parseExceptions(U"ta-ble\n");
                           }),
                           2, 3};
        std::vector<std::string> results(8);
        race(8, [&](int i) {
            results[static_cast<std::size_t>(i)] =
                joined(hyphenate(h, U"hyphenation")) + " " + joined(hyphenate(h, U"table"));
        });
        EXPECT_EQ(patternBuilds, 1);
        EXPECT_EQ(exceptionBuilds, 1);
        for (const auto& r : results)
            EXPECT_EQ(r, "hy-phen-ation ta-ble");
    }
}

TEST(Deferred, AFailedBuildFailsEveryUseTheSameWay) {
    std::atomic<int> calls{0};
    const Patterns t = Patterns::deferred([&]() -> Patterns {
        ++calls;
        throw std::runtime_error("no patterns today");
    });
    for (int i = 0; i < 3; ++i) {
        try {
            lookupPattern(U"word", t);
            ADD_FAILURE() << "the lookup should have thrown";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "no patterns today");
        }
    }
    EXPECT_THROW(show(t), std::runtime_error);
    EXPECT_EQ(calls, 1);

    // The dictionary fails alone; the rest of the hyphenator keeps working.
    const Hyphenator h{identity, parsePatterns(hyphenationPatterns),
                       Exceptions::deferred([]() -> Exceptions { throw std::runtime_error("x"); }),
                       2, 3};
    EXPECT_THROW(hyphenate(h, U"hyphenation"), std::runtime_error);
    EXPECT_THROW(hyphenate(h, U"hyphenation"), std::runtime_error);
    EXPECT_EQ(lookupPattern(U"hyphenation", h.hyphenatorPatterns).size(), 11u);
}

TEST(Deferred, RacingUsesOfAFailingBuildAllFail) {
    std::atomic<int> calls{0}, failures{0};
    const Patterns t = Patterns::deferred([&]() -> Patterns {
        ++calls;
        throw std::runtime_error("broken");
    });
    race(8, [&](int) {
        try {
            lookupPattern(U"x", t);
        } catch (const std::runtime_error&) {
            ++failures;
        }
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(failures, 8);
}

TEST(Deferred, NestsAndMixesWithOtherValues) {
    const Patterns inner = Patterns::deferred([] { return parsePatterns(U"a1b\n"); });
    const Patterns outer = Patterns::deferred([inner] { return inner; });
    const Patterns node(Scores{}, {{U'x', outer}});
    // The list [0,1,0] now ends the path "xab" and is placed where that walk starts.
    EXPECT_EQ(lookupPattern(U"xab", node), (Scores{0, 1, 0}));
    EXPECT_EQ(lookupPattern(U"xab", outer), (Scores{0, 0, 1}));
    EXPECT_EQ(node, Patterns(Scores{}, {{U'x', parsePatterns(U"a1b")}}));
}

TEST(Deferred, ABuilderThatNeedsItsOwnValueIsAnError) {
    std::shared_ptr<Patterns> self = std::make_shared<Patterns>();
    *self = Patterns::deferred([self] { return *self | Patterns{}; });
    EXPECT_THROW(lookupPattern(U"x", *self), std::logic_error);
    *self = Patterns{}; // break the cycle
    EXPECT_THROW(Patterns::deferred(nullptr), std::invalid_argument);
    EXPECT_THROW(Exceptions::deferred(nullptr), std::invalid_argument);
}

} // namespace
