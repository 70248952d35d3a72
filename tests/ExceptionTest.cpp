#include "Support.hpp"

#include <gtest/gtest.h>

#include <array>
#include <sstream>

namespace {

using namespace sillabor_test;

TEST(ScoreException, MarksEachHyphenatedGap) {
    const std::pair<std::u32string_view, Scores> cases[] = {
        {U"as-so-ciate", {0, 0, 1, 0, 1, 0, 0, 0, 0, 0}},
        {U"ta-ble", {0, 0, 1, 0, 0, 0}},
        {U"project", {0, 0, 0, 0, 0, 0, 0, 0}},
        {U"", {0}},
        {U"-ab", {1, 0, 0}},
        {U"ab-", {0, 0, 1}},
        {U"-", {1}},
        {U"a--b", {0, 1, 0, 0}}, // the second hyphen is skipped, neither mark nor letter
        {U"a---b", {0, 1, 1, 0}},
        {U"dos\u0165", {0, 0, 0, 0, 0}},
    };
    for (const auto& [entry, scores] : cases)
        EXPECT_EQ(scoreException(entry), scores) << utf8(entry);
}

TEST(AddException, StoresTheWordWithoutHyphens) {
    const Exceptions d = addException(U"War-sza-wa", addException(U"as-so-ciate", Exceptions{}));
    EXPECT_EQ(lookupException(U"associate", d), (Scores{0, 0, 1, 0, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(lookupException(U"Warszawa", d), (Scores{0, 0, 0, 1, 0, 0, 1, 0, 0}));
    // Keys are never case-folded, and hyphens in a looked-up word are kept.
    EXPECT_EQ(lookupException(U"warszawa", d), std::nullopt);
    EXPECT_EQ(lookupException(U"as-so-ciate", d), std::nullopt);
    EXPECT_EQ(lookupException(U"dissociate", d), std::nullopt);
    EXPECT_EQ(lookupException(U"", addException(U"-", Exceptions{})), Scores{1});
}

TEST(AddException, KeepsOnlyTheBreaksEveryEntryMarks) {
    auto both = [](std::u32string_view a, std::u32string_view b) {
        return addException(a, addException(b, Exceptions{}));
    };
    EXPECT_EQ(lookupException(U"associate", both(U"as-so-ciate", U"asso-ciate")),
              (Scores{0, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(lookupException(U"ab", both(U"a--b", U"a-b")), (Scores{0, 1, 0}));
    EXPECT_EQ(lookupException(U"ab", both(U"a--b", U"ab")), (Scores{0, 0, 0}));
    EXPECT_EQ(zipMin(Scores{3, 1, 4}, Scores{2, 7}), (Scores{2, 1}));
    EXPECT_EQ(zipMin(Scores{}, Scores{2}), Scores{});
}

TEST(ParseExceptions, TakesEveryLineAsOneEntry) {
    EXPECT_EQ(parseExceptions(U""), Exceptions{});
    EXPECT_EQ(parseExceptions(U"ta-ble\nproject\n").size(), 2u);
    EXPECT_EQ(parseExceptions(U"ta-ble\nproject\n"), parseExceptions(U"ta-ble\nproject"));
    // An empty line is the empty word.
    const Exceptions withEmpty = parseExceptions(U"ta-ble\n\nproject\n");
    EXPECT_EQ(lookupException(U"", withEmpty), Scores{0});
    // A carriage return stays in its line, and a space does not split it.
    const Exceptions crlf = parseExceptions(U"ta-ble\r\n");
    EXPECT_EQ(lookupException(U"table\r", crlf), (Scores{0, 0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(lookupException(U"table", crlf), std::nullopt);
    EXPECT_EQ(lookupException(U"ta ble", parseExceptions(U"ta ble")),
              (Scores{0, 0, 0, 0, 0, 0, 0}));
    // Order and repetition of lines do not matter.
    EXPECT_EQ(parseExceptions(U"a-b\nab\nc-d\n"), parseExceptions(U"c-d\nab\na-b\na-b\n"));
}

TEST(ExceptionsValue, CombinesAsAnIdempotentCommutativeMonoid) {
    Random random(5);
    auto gen = [&] {
        std::u32string text;
        for (std::size_t i = random.below(6); i-- > 0;)
            text += random.word(U"ab-", 5) + U"\n";
        return parseExceptions(text);
    };
    for (int round = 0; round < 300; ++round) {
        const Exceptions a = gen(), b = gen(), c = gen();
        ASSERT_EQ(a | (b | c), (a | b) | c);
        ASSERT_EQ(a | b, b | a);
        ASSERT_EQ(a | a, a);
        ASSERT_EQ(a | Exceptions{}, a);
        const std::array<Exceptions, 3> all{a, b, c};
        ASSERT_EQ(sconcat(all), a | (b | c));
        ASSERT_EQ(mconcat(all), a | (b | c));
        ASSERT_EQ(stimes(2, a), a);
        // addException is the union with a one-entry dictionary.
        const std::u32string e = random.word(U"ab-", 5);
        ASSERT_EQ(addException(e, a), parseExceptions(e + U"\n") | a);
    }
    EXPECT_EQ(mconcat(std::span<const Exceptions>{}), Exceptions{});
    EXPECT_THROW(sconcat(std::span<const Exceptions>{}), std::invalid_argument);
    EXPECT_THROW(stimes(0, Exceptions{}), std::invalid_argument);
}

TEST(ExceptionsValue, OperationsLeaveTheirInputsAlone) {
    const Exceptions base = parseExceptions(U"ta-ble\n");
    const Exceptions grown = addException(U"tab-le", base) | parseExceptions(U"pro-ject");
    EXPECT_EQ(show(base), "Exceptions (fromList [(\"table\",[0,0,1,0,0,0])])");
    EXPECT_EQ(grown.size(), 2u);
    EXPECT_EQ(lookupException(U"table", grown), (Scores{0, 0, 0, 0, 0, 0}));
}

TEST(ExceptionsValue, GrowingOneEntryAtATimeAgreesWithOneParse) {
    // Entries added one by one (words coming back with other breaks, and
    // every value along the way kept) must give what one parse gives, in
    // every observable way: lookups, size, equality, the map, the text form,
    // and unions with dictionaries built either way.
    std::u32string text;
    std::vector<Exceptions> history{Exceptions{}};
    for (int i = 0; i < 700; ++i) {
        // 250 words, most of them several times with different breaks.
        const int w = (i * 37) % 250;
        std::u32string entry;
        for (int k = 0; k < 4; ++k) {
            entry += static_cast<char32_t>(U'a' + (w >> (2 * k)) % 4 + 4 * k);
            if ((i + k) % 3 != 0 && k < 3) entry += U'-';
        }
        text += entry + U"\n";
        history.push_back(addException(entry, history.back()));
    }
    const Exceptions parsed = parseExceptions(text);
    const Exceptions& grown = history.back();
    EXPECT_EQ(grown.size(), parsed.size());
    EXPECT_EQ(grown, parsed);
    EXPECT_EQ(parsed, grown);
    EXPECT_EQ(grown.map(), parsed.map());
    EXPECT_EQ(show(grown), show(parsed));
    for (const auto& [word, scores] : parsed.map())
        EXPECT_EQ(lookupException(word, grown), scores) << show(Exceptions({{word, scores}}));
    EXPECT_EQ(lookupException(U"abcd", grown), std::nullopt);
    // Earlier values are unchanged: the 100th holds the first 100 entries.
    std::u32string first;
    std::size_t lines = 0;
    for (char32_t c : text) {
        if (lines == 100) break;
        first += c;
        lines += c == U'\n';
    }
    EXPECT_EQ(history[100], parseExceptions(first));
    // A small dictionary into a large one, and the other way round.
    const Exceptions small = parseExceptions(U"ae-im\nzz-zz\n");
    EXPECT_EQ(grown | small, parseExceptions(text + U"ae-im\nzz-zz\n"));
    EXPECT_EQ(small | grown, grown | small);
    EXPECT_EQ(grown | history[350], grown);
    EXPECT_NE(grown, history[699]);
}

TEST(ExceptionsValue, WrapsAnyMap) {
    const Exceptions d(Exceptions::Map{{U"x", {}}, {U"yz", {-3, 2}}});
    EXPECT_EQ(lookupException(U"x", d), Scores{});
    EXPECT_EQ(d.map().size(), 2u);
    EXPECT_EQ(Exceptions(Exceptions::Map{}), Exceptions{});
}

TEST(ExceptionsValue, ShowsItsTextForm) {
    EXPECT_EQ(show(Exceptions{}), "Exceptions (fromList [])");
    EXPECT_EQ(showsPrec(11, parseExceptions(U"ta-ble")),
              "(Exceptions (fromList [(\"table\",[0,0,1,0,0,0])]))");
    const std::array<Exceptions, 2> two{Exceptions{}, parseExceptions(U"a")};
    EXPECT_EQ(showList(two, "!"),
              "[Exceptions (fromList []),Exceptions (fromList [(\"a\",[0,0])])]!");
    EXPECT_EQ(showList(std::span<const Exceptions>{}), "[]");
    const std::pair<std::u32string, std::string_view> keys[] = {
        {U"dos\u0165", R"("dos\357")"},
        {U"\u00e91", R"("\233\&1")"}, // a digit after a numeric escape
        {U"\u00e9x", R"("\233x")"},
        {U"q\"b\\", R"("q\"b\\")"},
        {U"\r\t\n", R"("\r\t\n")"},
        {std::u32string(U"\0a", 2), R"("\0a")"},
        {std::u32string(U"\0"
                        U"1",
                        2),
         R"("\0\&1")"},
        {U"\u007f", R"("\127")"},
        {std::u32string(1, 0x110000), R"("\1114112")"},
    };
    for (const auto& [key, quoted] : keys)
        EXPECT_EQ(show(Exceptions(Exceptions::Map{{key, {1}}})),
                  "Exceptions (fromList [(" + std::string(quoted) + ",[1])])")
            << utf8(key);
    std::ostringstream out;
    out << parseExceptions(U"b\na\n");
    EXPECT_EQ(out.str(), "Exceptions (fromList [(\"a\",[0,0]),(\"b\",[0,0])])");
}

} // namespace
