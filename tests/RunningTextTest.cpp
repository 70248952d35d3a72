#include "PinnedData.hpp"
#include "Support.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using namespace sillabor_test;
using L = Language;

const WordCharacters& englishLetters() {
    static const WordCharacters letters = WordCharacters::of(L::English_US);
    return letters;
}

std::string inPieces(std::string_view text, const std::vector<std::size_t>& sizes,
                     std::size_t longest = 1024) {
    return streamInPieces(TextHyphenator(english_US, englishLetters(), "|", longest), text, sizes);
}

TEST(RunningText, HyphenatesEveryWordAndCopiesTheRest) {
    SILLABOR_NEEDS_PINNED_DATA();
    EXPECT_EQ(hyphenateText(english_US, englishLetters(), "Hyphenation, typesetting.", "-"),
              "Hy-phen-ation, type-set-ting.");
    EXPECT_EQ(hyphenateText(english_US, englishLetters(),
                            "<p class=\"x\">associate 42 table\r\n</p>", "\u00ad"),
              "<p class=\"x\">as\u00adso\u00adciate 42 ta\u00adble\r\n</p>");
    EXPECT_EQ(hyphenateText(english_US, englishLetters(), "", "-"), "");
    EXPECT_EQ(hyphenateText(german_1996, WordCharacters::of(L::German_1996),
                            "Die Silbentrennung, über Größen.", "-"),
              "Die Sil-ben-tren-nung, über Grö-ßen.");
}

TEST(RunningText, PiecesOfAnySizeGiveTheSameOutput) {
    SILLABOR_NEEDS_PINNED_DATA();
    const std::string text = "Typesetting \xe2\x80\x94 hyphenation\xc2\xa0of \xf0\x9f\x98\x80 "
                             "democratic institutions, repeatedly.\n";
    const std::string whole = inPieces(text, {text.size()});
    EXPECT_EQ(whole, "Type|set|ting \xe2\x80\x94 hy|phen|ation\xc2\xa0of \xf0\x9f\x98\x80 "
                     "de|mo|c|ra|tic in|sti|tu|tions, re|peat|edly.\n");
    for (std::vector<std::size_t> sizes :
         {std::vector<std::size_t>{1}, {2}, {3, 1}, {5, 7, 1}, {13}})
        EXPECT_EQ(inPieces(text, sizes), whole);
}

TEST(RunningText, RemovingSoftHyphensUndoesThem) {
    TextOptions o;
    o.removeSoftHyphens = true;
    const std::string hyphenated =
        "Hy\u00adphen\u00adation, \u00ad\u00ad type\u00adset\u00adting caf\u00e9\u00ad\n";
    // Every cut, the one inside the soft hyphen's two bytes included.
    for (const std::vector<std::size_t>& sizes :
         {std::vector<std::size_t>{1}, {2}, {3}, {5}, {1000}})
        EXPECT_EQ(
            streamInPieces(TextHyphenator(english_US, englishLetters(), o), hyphenated, sizes),
            "Hyphenation,  typesetting caf\u00e9\n");
    // A lead byte that the text ends on is copied as it is, and counted.
    TextHyphenator t(english_US, englishLetters(), o);
    std::string out;
    t.feed("ab\xC2", out);
    t.finish(out);
    EXPECT_EQ(out, "ab\xC2");
    EXPECT_EQ(t.invalidUtf8().count, 1u);
}

TEST(RunningText, CopiesWordsTooLongToHyphenate) {
    SILLABOR_NEEDS_PINNED_DATA();
    const std::string longWord(40, 'a');
    const std::string text = "hyphenation " + longWord + " hyphenation";
    for (std::vector<std::size_t> sizes : {std::vector<std::size_t>{1}, {7}, {text.size()}})
        EXPECT_EQ(inPieces(text, sizes, 20), "hy|phen|ation " + longWord + " hy|phen|ation");
}

TEST(RunningText, StrictStopsAtBytesThatAreNotUtf8) {
    SILLABOR_NEEDS_PINNED_DATA();
    const TextOptions strict{.separator = "|", .strictUtf8 = true};
    TextHyphenator t(english_US, englishLetters(), strict);
    std::string out;
    t.feed("hyphenation table", out);
    try {
        t.feed(" hyphenation\xc0\xaf rest", out);
        ADD_FAILURE() << "accepted an overlong form";
    } catch (const InvalidUtf8& e) {
        EXPECT_EQ(e.offset(), 29u);
    }
    EXPECT_EQ(out, "hy|phen|ation ta|ble hy|phen|ation");

    TextHyphenator cut(english_US, englishLetters(), strict);
    out.clear();
    cut.feed("table \xe2\x82", out);
    try {
        cut.finish(out);
        ADD_FAILURE() << "accepted a text cut inside a sequence";
    } catch (const InvalidUtf8& e) {
        EXPECT_EQ(e.offset(), 6u);
    }
    EXPECT_EQ(out, "ta|ble ");
}

// Without strictUtf8, every ill-formed sequence is copied as it is and ends
// the word it touches, whatever the pieces the text comes in.
TEST(RunningText, CopiesBytesThatAreNotUtf8) {
    SILLABOR_NEEDS_PINNED_DATA();
    struct Case {
        std::string_view text, expected;
        std::uint64_t count, first;
    };
    const std::string_view continuation = "hyphen\x80"
                                          "ation",
                           broken = "hy|phen\x80"
                                    "ation";
    const Case cases[] = {
        {continuation, broken, 1, 6},                                    // a lone continuation byte
        {"table \xc0\xaftable", "ta|ble \xc0\xafta|ble", 2, 6},          // an overlong form: two
        {"hyphenation\xed\xa0\x80", "hy|phen|ation\xed\xa0\x80", 3, 11}, // a surrogate: three
        {"table\xe2\x82table", "ta|ble\xe2\x82ta|ble", 1, 5},            // a sequence cut short
        {"\xff\xfehyphenation", "\xff\xfehy|phen|ation", 2, 0},          // bytes never in UTF-8
        {"table\xf0\x9f", "ta|ble\xf0\x9f", 1, 5},                       // cut by the end
        {"caf\xe9 table", "caf\xe9 ta|ble", 1, 3},                       // Latin-1
        {"http://x.org/\xe9t\xe9 hyphenation", "http://x.org/\xe9t\xe9 hy|phen|ation", 2, 13},
    };
    // In three pieces, cut anywhere: a sequence may start two pieces back.
    for (const Case& c : cases) {
        for (std::size_t a = 0; a <= c.text.size(); ++a) {
            for (std::size_t b = a; b <= c.text.size(); ++b) {
                TextHyphenator t(english_US, englishLetters(), "|");
                std::string out;
                t.feed(c.text.substr(0, a), out);
                t.feed(c.text.substr(a, b - a), out);
                t.feed(c.text.substr(b), out);
                t.finish(out);
                EXPECT_EQ(out, c.expected) << c.text << " cut at " << a << " and " << b;
                EXPECT_EQ(t.invalidUtf8().count, c.count) << c.text;
                EXPECT_EQ(t.invalidUtf8().firstOffset, c.first) << c.text;
            }
        }
    }
}

std::string english(std::string_view text, TextOptions options = {}) {
    if (options.separator == "\u00ad") options.separator = "|";
    return hyphenateText(english_US, englishLetters(), text, options);
}

TEST(RunningText, LeavesWordsWhoseBreaksAreAlreadyPlaced) {
    SILLABOR_NEEDS_PINNED_DATA();
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"hyphen\u00adation typesetting", "hyphen\u00adation type|set|ting"},
        {"\u00adhyphenation", "\u00adhyphenation"},
        {"hyphenation\u00ad", "hyphenation\u00ad"},
        {"hy\u200bphenation", "hy\u200bphenation"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(english(text), expected) << text;
    // German compounds with the author's soft hyphen.
    EXPECT_EQ(hyphenateText(german_1996, WordCharacters::of(L::German_1996),
                            "Personal\u00adentwicklung", "\u00ad"),
              "Personal\u00adentwicklung");
}

TEST(RunningText, CopiesUrlsAndEmailAddresses) {
    SILLABOR_NEEDS_PINNED_DATA();
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"see https://example.com/hyphenation now", "see https://example.com/hyphenation now"},
        {"(https://typesetting.org/hyphenation).", "(https://typesetting.org/hyphenation)."},
        {"ftp://hyphenation.example", "ftp://hyphenation.example"},
        {"www.typesetting.com/hyphenation", "www.typesetting.com/hyphenation"},
        {"(WWW.Typesetting.com)", "(WWW.Typesetting.com)"},
        {"typesetting@example.org", "typesetting@example.org"},
        {"mail hyphenation.typesetting@example.org.", "mail hyphenation.typesetting@example.org."},
        {"<a href=\"https://x.org/hyphenation\">hyphenation</a>",
         "<a href=\"https://x.org/hyphenation\">hy|phen|ation</a>"},
        // Not addresses.
        {"hyphenation: typesetting", "hy|phen|ation: type|set|ting"},
        {"hyphenation:/typesetting", "hy|phen|ation:/type|set|ting"},
        {"hyphenation:https://x.org/typesetting", "hy|phen|ation:https://x.org/typesetting"},
        {"hyphenation,typesetting@x.org", "hy|phen|ation,typesetting@x.org"},
        {"@typesetting typesetting@", "@type|set|ting type|set|ting@"},
        {"hyphenation/typesetting", "hy|phen|ation/type|set|ting"},
        {"wwwhyphenation", "wwwhy|phen|ation"},
        {"a.www.typesetting", "a.www.type|set|ting"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(english(text), expected) << text;
        for (std::vector<std::size_t> sizes : {std::vector<std::size_t>{1}, {2}, {3, 5}})
            EXPECT_EQ(inPieces(text, sizes), expected) << text;
    }
}

TEST(RunningText, OptionsLeaveShortWordsAndCapitals) {
    SILLABOR_NEEDS_PINNED_DATA();
    EXPECT_EQ(english("table hyphenation", {.minLength = 6}), "table hy|phen|ation");
    EXPECT_EQ(english("table hyphenation", {.minLength = 5}), "ta|ble hy|phen|ation");
    EXPECT_EQ(english("HYPHENATION Hyphenation NASA", {.capitals = false}),
              "HYPHENATION Hy|phen|ation NASA");
    EXPECT_EQ(english("HYPHENATION Hyphenation"), "HY|PHEN|ATION Hy|phen|ation");
    EXPECT_EQ(hyphenateText(german_1996, WordCharacters::of(L::German_1996), "STRASSE Strasse",
                            TextOptions{.separator = "-", .capitals = false}),
              "STRASSE Stras-se");
    const WordCharacters german = WordCharacters::of(L::German_1996);
    EXPECT_TRUE(german.isCapital(U'S'));
    EXPECT_TRUE(german.isCapital(U'\u00c4'));
    EXPECT_FALSE(german.isCapital(U's'));
    EXPECT_FALSE(german.isCapital(U'\u00df'));
}

TEST(RunningText, LongRunsWithoutSpacesAreHyphenatedWordByWord) {
    SILLABOR_NEEDS_PINNED_DATA();
    std::string text, expected;
    for (int i = 0; i < 400; ++i) {
        text += "hyphenation,typesetting;";
        expected += "hy|phen|ation,type|set|ting;";
    }
    for (std::vector<std::size_t> sizes : {std::vector<std::size_t>{1}, {7}, {text.size()}})
        EXPECT_TRUE(inPieces(text, sizes) == expected);
    // A URL at the end of such a run is still found, and only it is copied.
    EXPECT_TRUE(english(text + "https://x.org/hyphenation") ==
                expected + "https://x.org/hyphenation");
}

TEST(RunningText, AddressesAcrossLongChunksKeepTheText) {
    SILLABOR_NEEDS_PINNED_DATA();
    // Chunks far longer than the longest word, full of the characters that
    // start addresses: every byte comes out, in order.
    Random random(31);
    const std::u32string alphabet = U"hyphenation,:/@w.\u00e9 ";
    for (int k = 0; k < 300; ++k) {
        const std::string text = toUtf8(random.word(alphabet, 400));
        const TextOptions options{.separator = "|", .longestWord = 6};
        std::string out = hyphenateText(english_US, englishLetters(), text, options);
        std::erase(out, '|');
        ASSERT_EQ(out, text);
    }
}

TEST(RunningText, OutputIsAFixedPoint) {
    SILLABOR_NEEDS_PINNED_DATA();
    const std::string text =
        "Electroencephalography, typesetting \u00e9lite HYPHENATION: see "
        "https://example.com/hyphenation or mail typesetting@example.org. "
        "Hyphen\u00adation, co-operation, \xf0\x9f\x98\x80 democratic institutions.\n";
    const TextOptions options; // the soft hyphen
    const std::string once = hyphenateText(english_US, englishLetters(), text, options);
    EXPECT_NE(once, text);
    EXPECT_EQ(hyphenateText(english_US, englishLetters(), once, options), once);
}

TEST(WordCharacters, AreTheCharactersOfTheLanguagesFile) {
    SILLABOR_NEEDS_PINNED_DATA();
    const WordCharacters german = WordCharacters::of(L::German_1996);
    for (char32_t c : U"aZ\u00df\u00e4\u00c4")
        EXPECT_TRUE(c == 0 || german.contains(c)) << static_cast<unsigned>(c);
    for (char32_t c : U" -1.\u0142")
        EXPECT_TRUE(c == 0 || !german.contains(c)) << static_cast<unsigned>(c);
    const WordCharacters custom(U"xyz\U0001F600");
    EXPECT_TRUE(custom.contains(U'\U0001F600'));
    EXPECT_FALSE(custom.contains(U'a'));
}

} // namespace
