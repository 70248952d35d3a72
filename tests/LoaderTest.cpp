#include "PinnedData.hpp"
#include "ReferenceScorer.hpp"
#include "Support.hpp"

#include "detail/data/EmbeddedFiles.hpp"
#include "detail/data/LanguageFacts.hpp"
#include "detail/data/Loader.hpp"
#include "detail/engine/CharMap.hpp"
#include "detail/engine/PatternsRep.hpp"
#include "detail/support/Text.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <random>
#include <set>
#include <thread>

namespace {

using namespace sillabor_test;
using L = Language;
using ::testing::StrEq;
using ::testing::ThrowsMessage;

std::string hyphenated(const Hyphenator& h, std::u32string_view word) {
    return joined(hyphenate(h, word));
}

TEST(LoadHyphenator, SetsTheMinimaOfEachVariant) {
    SILLABOR_NEEDS_PINNED_DATA();
    const std::tuple<Language, int, int> cases[] = {
        {L::English_US, 2, 3},  {L::Sanskrit, 1, 3}, {L::Afrikaans, 1, 2}, {L::Greek_Ancient, 1, 1},
        {L::German_1996, 2, 2}, {L::Georgian, 1, 2}, {L::Hindi, 1, 1},     {L::Welsh, 2, 3},
    };
    for (const auto& [language, left, right] : cases) {
        const Hyphenator h = loadHyphenator(language);
        EXPECT_EQ(h.hyphenatorLeftMin, left) << show(language);
        EXPECT_EQ(h.hyphenatorRightMin, right) << show(language);
    }
    std::map<std::pair<int, int>, int> groups;
    for (Language l : enumFrom(L::Afrikaans)) {
        const Hyphenator h = loadHyphenator(l);
        const auto& facts = detail::languageFacts[static_cast<std::size_t>(fromEnum(l))];
        EXPECT_EQ(h.hyphenatorLeftMin, facts.leftMin) << show(l);
        EXPECT_EQ(h.hyphenatorRightMin, facts.rightMin) << show(l);
        ++groups[{static_cast<int>(h.hyphenatorLeftMin), static_cast<int>(h.hyphenatorRightMin)}];
    }
    const std::map<std::pair<int, int>, int> expected{
        {{1, 1}, 17}, {{1, 2}, 3}, {{1, 3}, 1}, {{2, 3}, 10}, {{2, 2}, 42}};
    EXPECT_EQ(groups, expected);
}

TEST(LoadHyphenator, NormalisesByTheCharacterFile) {
    SILLABOR_NEEDS_PINNED_DATA();
    const Hyphenator english = loadHyphenator(L::English_US);
    const std::pair<char32_t, char32_t> englishCases[] = {
        {U'A', U'a'}, {U'a', U'a'}, {U'1', U'1'}, {U'\u00c9', U'\u00c9'}};
    for (auto [from, to] : englishCases)
        EXPECT_EQ(english.hyphenatorChars(from), to);

    const Hyphenator german = loadHyphenator(L::German_1901);
    const std::pair<char32_t, char32_t> germanCases[] = {
        {U'S', U's'}, {U's', U's'}, {U'\u00df', U'\u00df'}, {U'\u00c4', U'\u00e4'}};
    for (auto [from, to] : germanCases)
        EXPECT_EQ(german.hyphenatorChars(from), to);

    const Hyphenator turkish = loadHyphenator(L::Turkish);
    EXPECT_EQ(turkish.hyphenatorChars(U'I'), U'\u0131');
    EXPECT_EQ(turkish.hyphenatorChars(U'\u0130'), U'\u0130');
    EXPECT_EQ(loadHyphenator(L::Thai).hyphenatorChars(U'\u0e01'), U'\u0e01');
    // Lines whose upper-case form is several characters ("\u00dfSS", "\u0587\u0535\u0552",
    // "\u1e96H\u0331", "\u03b0\u03a5\u0308\u0301") map none of them.
    for (Language l : {L::German_1901, L::German_1996, L::German_Swiss})
        EXPECT_EQ(loadHyphenator(l).hyphenatorChars(U'S'), U's') << show(l);
    EXPECT_EQ(loadHyphenator(L::Armenian).hyphenatorChars(U'\u0535'), U'\u0565');
    EXPECT_EQ(loadHyphenator(L::Sanskrit).hyphenatorChars(U'H'), U'h');
    const Hyphenator greek = loadHyphenator(L::Greek_Mono);
    EXPECT_EQ(greek.hyphenatorChars(U'\u03a3'), U'\u03c3');
    EXPECT_EQ(greek.hyphenatorChars(U'\u0301'), U'\u0301');
    for (Language l : {L::Greek_Poly, L::Greek_Ancient}) {
        const Hyphenator poly = loadHyphenator(l);
        EXPECT_EQ(poly.hyphenatorChars(U'\u0399'), U'\u03b9') << show(l); // capital iota
        EXPECT_EQ(poly.hyphenatorChars(U'\u03a5'), U'\u03c5') << show(l); // capital upsilon
        EXPECT_EQ(poly.hyphenatorChars(U'\u0313'), U'\u0313') << show(l); // combining comma above
    }
}

// The capitals of a character file: the letters that lines of two characters
// map, with their lower-case forms.
std::map<char32_t, char32_t> capitalsOf(Language l) {
    std::map<char32_t, char32_t> upper;
    const std::u32string text = detail::readDataFile(detail::findEmbeddedFile, l, ".chr.txt.gz");
    detail::forEachLine(std::u32string_view(text), [&](std::u32string_view line) {
        if (line.size() == 2 && line[0] != line[1]) upper[line[0]] = line[1];
    });
    return upper;
}

std::vector<std::size_t> pieceLengths(const Hyphenator& h, std::u32string_view word) {
    std::vector<std::size_t> lengths;
    for (const auto& piece : hyphenate(h, word))
        lengths.push_back(piece.size());
    return lengths;
}

TEST(LoadHyphenator, CapitalsBreakLikeSmallLetters) {
    SILLABOR_NEEDS_PINNED_DATA();
    // In the variants whose character files hold multi-character capitals, a
    // capitalised or all-capitals word breaks like its lower-case form.
    const Language variants[] = {L::German_1901, L::German_1996,   L::German_Swiss, L::Greek_Mono,
                                 L::Greek_Poly,  L::Greek_Ancient, L::Armenian,     L::Sanskrit};
    std::mt19937 random(12);
    for (Language l : variants) {
        const Hyphenator h = loadHyphenator(l);
        const std::map<char32_t, char32_t> upper = capitalsOf(l);
        // Letters that share a capital (Greek final and medial sigma) cannot
        // both come back from it; the rest must.
        std::vector<char32_t> letters;
        for (auto [small, capital] : upper)
            if (h.hyphenatorChars(capital) == h.hyphenatorChars(small)) letters.push_back(small);
        EXPECT_GE(letters.size(), upper.size() - 1) << show(l);
        int differ = 0, broken = 0;
        for (int n = 0; n < 300; ++n) {
            std::u32string word;
            const std::size_t length = 4 + random() % 9;
            for (std::size_t i = 0; i < length; ++i)
                word.push_back(letters[random() % letters.size()]);
            std::u32string caps = word, title = word;
            for (char32_t& c : caps)
                c = upper.at(c);
            title[0] = upper.at(title[0]);
            const auto small = pieceLengths(h, word);
            differ += small != pieceLengths(h, caps) || small != pieceLengths(h, title);
            broken += small.size() > 1;
        }
        EXPECT_EQ(differ, 0) << show(l);
        EXPECT_GT(broken, 30) << show(l); // the words are not all unbreakable
    }
    EXPECT_EQ(hyphenated(german_1996, U"STRASSE"), "STRAS-SE");
    EXPECT_EQ(hyphenated(german_1996, U"FORTSCHRITT"), "FORT-SCHRITT");
    EXPECT_EQ(hyphenated(german_1996, U"ABBEKOMMST"), "AB-BE-KOMMST");
}

TEST(CharMap, LaterLinesWinAndFirstCharactersPassThrough) {
    const auto map = detail::CharMap::fromText(U"sS\n\u00dfSS\n\nxX\nyY\r\nq\nzZ\n\u017eZ\n");
    EXPECT_EQ(map(U'S'), U's'); // a form of several characters maps nothing
    EXPECT_EQ(map(U'Z'), U'\u017e');
    EXPECT_EQ(map(U's'), U's');
    EXPECT_EQ(map(U'X'), U'x');
    EXPECT_EQ(map(U'Y'), U'Y'); // a carriage return is a character of its line
    EXPECT_EQ(map(U'q'), U'q');
    EXPECT_EQ(map(0x110000), 0x110000u);
}

TEST(LoadHyphenator, ReadsTheExceptions) {
    SILLABOR_NEEDS_PINNED_DATA();
    const Hyphenator english = loadHyphenator(L::English_US);
    EXPECT_EQ(english.hyphenatorExceptions.size(), 14u);
    EXPECT_EQ(hyphenated(english, U"associate"), "as-so-ciate");
    EXPECT_EQ(hyphenated(english, U"Associate"), "As-so-ciate");
    EXPECT_EQ(hyphenated(english, U"project"), "project");
    EXPECT_EQ(loadHyphenator(L::German_1996).hyphenatorExceptions, Exceptions{});
}

TEST(LoadHyphenator, DecodesEachTableOnlyWhenItIsNeeded) {
    SILLABOR_NEEDS_PINNED_DATA();
    const Hyphenator h = loadHyphenator(L::English_US);
    const auto* chars = h.hyphenatorChars.target<CharacterMap>();
    ASSERT_NE(chars, nullptr);
    auto built = [&] {
        return std::tuple{detail::CharacterMapAccess::built(*chars),
                          detail::isBuilt(h.hyphenatorExceptions),
                          detail::isBuilt(h.hyphenatorPatterns)};
    };
    EXPECT_EQ(built(), std::tuple(false, false, false));
    EXPECT_EQ(hyphenated(h, U""), "");
    EXPECT_EQ(hyphenated(h, U"tabl"), "tabl"); // shorter than both minima
    EXPECT_EQ(built(), std::tuple(false, false, false));
    EXPECT_EQ(hyphenated(h, U"table"), "ta-ble"); // answered by the exceptions
    EXPECT_EQ(built(), std::tuple(true, true, false));
    EXPECT_EQ(hyphenated(h, U"Typesetting"), "Type-set-ting");
    EXPECT_EQ(built(), std::tuple(true, true, true));
    // Two loads are independent records that behave alike.
    const Hyphenator other = loadHyphenator(L::English_US);
    EXPECT_FALSE(detail::isBuilt(other.hyphenatorPatterns));
    EXPECT_EQ(hyphenated(other, U"Typesetting"), "Type-set-ting");
}

TEST(LoadHyphenator, AMissingFileFailsOnlyTheTableThatNeedsIt) {
    SILLABOR_NEEDS_PINNED_DATA();
    std::atomic<int> patternReads{0};
    const detail::FileLookup withoutPatterns =
        [&](std::string_view name) -> std::optional<std::string_view> {
        if (name == "hyph-en-us.pat.txt.gz") {
            ++patternReads;
            return std::nullopt;
        }
        return detail::findEmbeddedFile(name);
    };
    const Hyphenator h = detail::loadHyphenator(L::English_US, withoutPatterns);
    EXPECT_EQ(h.hyphenatorLeftMin, 2);
    EXPECT_EQ(h.hyphenatorRightMin, 3);
    EXPECT_EQ(hyphenated(h, U"word"), "word");
    EXPECT_EQ(hyphenated(h, U"table"), "ta-ble");
    for (int i = 0; i < 2; ++i)
        EXPECT_THAT(
            [&] { hyphenate(h, U"Typesetting"); },
            ThrowsMessage<std::runtime_error>(StrEq("Could not find hyph-en-us.pat.txt.gz")));
    EXPECT_EQ(patternReads, 1); // the failure is remembered, not retried
    EXPECT_EQ(h.hyphenatorChars(U'T'), U't');

    const detail::FileLookup corrupt =
        [](std::string_view name) -> std::optional<std::string_view> {
        if (name == "hyph-en-us.chr.txt.gz") return std::string_view("\x1f\x8b garbage");
        return detail::findEmbeddedFile(name);
    };
    const Hyphenator broken = detail::loadHyphenator(L::English_US, corrupt);
    EXPECT_THROW(hyphenate(broken, U"Typesetting"), std::runtime_error);
    EXPECT_THROW(broken.hyphenatorChars(U'a'), std::runtime_error);
    EXPECT_EQ(lookupException(U"table", broken.hyphenatorExceptions), (Scores{0, 0, 1, 0, 0, 0}));
}

TEST(LoadHyphenator, DecodesBytesThatAreNotUtf8AsLatin1) {
    EXPECT_EQ(detail::decodeUtf8Lenient("a\xa9"
                                        "b"),
              U"a\u00a9b");
    EXPECT_EQ(detail::decodeUtf8Lenient("\xef\xbb\xbfx"), U"\ufeffx"); // the BOM stays
    EXPECT_EQ(detail::decodeUtf8Lenient("\xc3"), U"\u00c3");           // cut short
    EXPECT_EQ(detail::decodeUtf8Lenient("\xe2\x82"
                                        "x"),
              U"\u00e2\u0082x");
    EXPECT_EQ(detail::decodeUtf8Lenient("\xed\xa0\x80"), U"\u00ed\u00a0\u0080"); // a surrogate
    EXPECT_EQ(detail::decodeUtf8Lenient("\xc0\xaf"), U"\u00c0\u00af");           // overlong
    EXPECT_EQ(detail::decodeUtf8Lenient("\xf4\x90\x80\x80"), U"\u00f4\u0090\u0080\u0080");
    EXPECT_EQ(detail::decodeUtf8Lenient("\xf0\x9f\x98\x80\xe2\x80\x90"), U"\U0001F600\u2010");
}

// The library and a plain reference hyphenator built from the same decoded
// files agree on words of every language's own alphabet.
TEST(LoadHyphenator, AgreesWithTheReferenceForEveryLanguage) {
    SILLABOR_NEEDS_PINNED_DATA();
    const detail::FileLookup embedded = detail::findEmbeddedFile;
    for (Language l : enumFrom(L::Afrikaans)) {
        const std::u32string chars = detail::readDataFile(embedded, l, ".chr.txt.gz");
        const std::u32string patterns = detail::readDataFile(embedded, l, ".pat.txt.gz");
        const std::u32string exceptions = detail::readDataFile(embedded, l, ".hyp.txt.gz");
        const sillabor_reference::Trie trie(patterns);
        const Hyphenator& h = languageHyphenator(l);
        const sillabor_reference::Hyphenator ref{sillabor_reference::normaliser(chars), &trie,
                                                 sillabor_reference::exceptions(exceptions),
                                                 h.hyphenatorLeftMin, h.hyphenatorRightMin};

        // Words: the exception words, and random strings of the alphabet with
        // capitals, plus runs of pattern letters, which make breaks likely.
        std::vector<std::u32string> words;
        for (const auto& [word, scores] : ref.exceptions)
            words.push_back(word);
        std::u32string alphabet;
        for (auto line : sillabor_reference::lines(chars))
            alphabet += line;
        std::vector<std::u32string> pieces;
        for (auto line : sillabor_reference::lines(patterns)) {
            std::u32string letters;
            for (char32_t c : line)
                if ((c < U'0' || c > U'9') && c != U'.') letters += c;
            pieces.push_back(letters);
        }
        std::mt19937 random(static_cast<unsigned>(fromEnum(l)));
        for (int k = 0; k < 60; ++k) {
            std::u32string w;
            for (std::size_t n = 1 + random() % 4; n-- > 0;)
                w += pieces[random() % pieces.size()];
            if (k % 3 == 0) w[0] = alphabet[random() % alphabet.size()];
            words.push_back(w);
        }
        int broken = 0;
        for (const auto& w : words) {
            const auto got = hyphenate(h, w);
            ASSERT_EQ(got, sillabor_reference::hyphenate(ref, w)) << show(l) << ": " << utf8(w);
            std::u32string rejoined;
            for (const auto& p : got)
                rejoined += p;
            ASSERT_EQ(rejoined, w);
            broken += got.size() > 1;
        }
        EXPECT_GT(broken, 10) << show(l) << " breaks hardly any word";
    }
}

TEST(ReadyMade, EachVariantHasItsOwnSharedValue) {
    SILLABOR_NEEDS_PINNED_DATA();
    std::set<const Hyphenator*> seen;
    for (Language l : enumFrom(L::Afrikaans)) {
        const Hyphenator& h = languageHyphenator(l);
        EXPECT_EQ(&h, &languageHyphenator(l));
        seen.insert(&h);
    }
    EXPECT_EQ(seen.size(), 73u);
    EXPECT_EQ(&english_US.get(), &languageHyphenator(L::English_US));
    EXPECT_EQ(&chinese.get(), &languageHyphenator(L::Chinese));
    EXPECT_EQ(&german_Swiss.get(), &languageHyphenator(L::German_Swiss));
    EXPECT_EQ(&welsh.get(), &languageHyphenator(L::Welsh));
    EXPECT_EQ(english_US.language(), L::English_US);
    EXPECT_EQ(english_US->hyphenatorLeftMin, 2);
    EXPECT_EQ(sanskrit->hyphenatorRightMin, 3);
    EXPECT_EQ(georgian->hyphenatorRightMin, 2);
    EXPECT_EQ(hindi->hyphenatorLeftMin, 1);
    EXPECT_EQ(german_1996->hyphenatorRightMin, 2);
}

TEST(ReadyMade, HyphenatesTheKnownExamples) {
    SILLABOR_NEEDS_PINNED_DATA();
    EXPECT_EQ(joined(hyphenate(english_US, U"Typesetting")), "Type-set-ting");
    EXPECT_EQ(joined(hyphenate(english_US, U"associate")), "as-so-ciate");
    EXPECT_EQ(joined(hyphenate(english_US, U"hyphenation")), "hy-phen-ation");
    // The 2016 patterns really do give this; it is the data, not the code.
    EXPECT_EQ(joined(hyphenate(english_US, U"democrat")), "de-mo-c-rat");
    // Same tables decoded once: the second use finds the same packed trie.
    const auto* trie = &detail::packedTrie(english_US->hyphenatorPatterns);
    hyphenate(english_US, U"another");
    EXPECT_EQ(trie, &detail::packedTrie(languageHyphenator(L::English_US).hyphenatorPatterns));
}

// Eight threads race for the first use of a fresh record's tables, then for
// the ready-made Welsh hyphenator (first used here when the test runs in a
// process of its own, as CTest runs it).
TEST(ReadyMade, RacingFirstUsesShareOneValue) {
    SILLABOR_NEEDS_PINNED_DATA();
    const Hyphenator fresh = loadHyphenator(L::Dutch);
    std::vector<std::string> results(8);
    std::vector<const Hyphenator*> values(8);
    std::vector<const void*> tries(8);
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < 8; ++i)
        threads.emplace_back([&, i] {
            ready.fetch_add(1);
            while (!go.load())
                std::this_thread::yield();
            results[i] = joined(hyphenate(fresh, U"Lettergreepsplitsing"));
            values[i] = &welsh.get();
            tries[i] = &detail::packedTrie(values[i]->hyphenatorPatterns);
            results[i] += " " + joined(hyphenate(*values[i], U"cyfrifiadur"));
        });
    while (ready.load() != 8)
        std::this_thread::yield();
    go.store(true);
    for (auto& t : threads)
        t.join();
    for (std::size_t i = 1; i < 8; ++i) {
        EXPECT_EQ(results[i], results[0]);
        EXPECT_EQ(values[i], values[0]);
        EXPECT_EQ(tries[i], tries[0]);
    }
}

} // namespace
