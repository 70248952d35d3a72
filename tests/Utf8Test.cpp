#include "PinnedData.hpp"
#include "Support.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using namespace sillabor_test;
using ::testing::ElementsAre;
using L = Language;

std::string cut(const Hyphenator& h, std::string_view word) {
    std::string out;
    for (const auto& p : hyphenate(h, word))
        out += (out.empty() ? "" : "-") + p;
    return out;
}

TEST(Utf8Hyphenate, CutsLikeTheCodePointInterface) {
    SILLABOR_NEEDS_PINNED_DATA();
    EXPECT_THAT(hyphenate(english_US, std::string_view("Typesetting")),
                ElementsAre("Type", "set", "ting"));
    EXPECT_EQ(cut(german_1996, "Übergrößenträger"), "Über-grö-ßen-trä-ger");
    EXPECT_EQ(cut(english_US, ""), "");
    // Pieces concatenate to the input byte for byte, whatever the script.
    Random random(23);
    const std::u32string alphabet = U"aeiounrstlpSßüöä\u0430\u0431\u0432\U0001F600";
    for (int k = 0; k < 300; ++k) {
        const std::u32string w = random.word(alphabet, 14);
        const std::string bytes = toUtf8(w);
        for (const Hyphenator* h : {&english_US.get(), &german_1901.get(), &russian.get()}) {
            const auto pieces = hyphenate(*h, bytes);
            std::string rejoined;
            for (const auto& p : pieces)
                rejoined += p;
            ASSERT_EQ(rejoined, bytes);
            const auto wide = hyphenate(*h, std::u32string_view(w));
            ASSERT_EQ(pieces.size(), wide.size());
            for (std::size_t i = 0; i < wide.size(); ++i)
                ASSERT_EQ(toUtf32(pieces[i]), wide[i]);
        }
    }
}

TEST(Utf8Hyphenate, HyphenatesThePartsOfAHyphenatedWord) {
    SILLABOR_NEEDS_PINNED_DATA();
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"co-operation", "co-|op|er|a|tion"},
        {"E-Mail-Adresse", "E-|Mail-|Adres|se"},
        {"Typesetting\u2010hyphenation", "Type|set|ting\u2010|hy|phen|ation"},
        {"-hyphenation", "-hy|phen|ation"},   // nothing before the hyphen
        {"hyphenation-", "hy|phen|ation-"},   // nothing after it
        {"hy--phenation", "hy--|phen|ation"}, // a run of hyphens is one break
        {"-", "-"},
        {"--", "--"},
    };
    for (const auto& [word, expected] : cases) {
        const Hyphenator& h = word.starts_with("E-") ? german_1996.get() : english_US.get();
        std::string got;
        for (const auto& p : hyphenate(h, word))
            got += (got.empty() ? "" : "|") + p;
        EXPECT_EQ(got, expected) << word;
    }
    // Each part breaks as it would alone.
    Random random(5);
    for (int k = 0; k < 200; ++k) {
        const std::u32string a = random.word(U"aeiounrstlp", 12),
                             b = random.word(U"aeiounrstlp", 12);
        if (a.empty() || b.empty()) continue;
        std::vector<std::string> expected = hyphenate(english_US, toUtf8(a));
        expected.back() += "-";
        for (const auto& piece : hyphenate(english_US, toUtf8(b)))
            expected.push_back(piece);
        EXPECT_EQ(hyphenate(english_US, toUtf8(a + U"-" + b)), expected);
    }
}

TEST(Utf8Hyphenate, RejectsBytesThatAreNotUtf8) {
    SILLABOR_NEEDS_PINNED_DATA();
    const std::pair<std::string_view, std::size_t> bad[] = {
        {"ab\x80z", 2},           // a continuation byte without a lead
        {"abc\xc3", 3},           // cut short by the end
        {"ab\xe2\x82z", 2},       // cut short inside
        {"\xc0\xaf", 0},          // overlong
        {"x\xe0\x80\xaf", 1},     // overlong in three bytes
        {"xy\xed\xa0\x80", 2},    // a surrogate
        {"\xf4\x90\x80\x80", 0},  // above U+10FFFF
        {"a\xf5\x80\x80\x80", 1}, // above U+10FFFF
        {"hyph\xff", 4},          // never in UTF-8
    };
    for (const auto& [bytes, offset] : bad) {
        try {
            hyphenate(english_US, bytes);
            ADD_FAILURE() << "accepted " << ::testing::PrintToString(bytes);
        } catch (const InvalidUtf8& e) {
            EXPECT_EQ(e.offset(), offset) << e.what();
            EXPECT_THAT(e.what(), ::testing::HasSubstr("at byte " + std::to_string(offset)));
        }
        EXPECT_THROW(toUtf32(bytes), InvalidUtf8);
    }
}

TEST(Utf8, ConvertsStrictlyBothWays) {
    EXPECT_EQ(toUtf32("a\xc3\xa9\xe2\x80\x90\xf0\x9f\x98\x80"), U"a\u00e9\u2010\U0001F600");
    EXPECT_EQ(toUtf8(U"a\u00e9\u2010\U0001F600"), "a\xc3\xa9\xe2\x80\x90\xf0\x9f\x98\x80");
    EXPECT_THROW(toUtf8(std::u32string(1, 0xD800)), std::invalid_argument);
    EXPECT_THROW(toUtf8(std::u32string(1, 0x110000)), std::invalid_argument);
    EXPECT_EQ(validUtf8Prefix("ab\xe2\x82"), 2u);
    EXPECT_EQ(validUtf8Prefix("ab\xf0"), 2u);
    EXPECT_EQ(validUtf8Prefix("ab\xc3\xa9"), 4u);
    EXPECT_THROW(validUtf8Prefix("ab\xe2x"), InvalidUtf8);
    EXPECT_THROW(validUtf8Prefix("\xc0"), InvalidUtf8);
}

TEST(LanguageByName, AcceptsNamesCodesAndTags) {
    const std::pair<std::string_view, Language> good[] = {
        {"English_US", L::English_US},
        {"english_us", L::English_US},
        {"en-US", L::English_US},
        {"en_us", L::English_US},
        {"EN-us", L::English_US},
        {"en", L::English_US},
        {"en-GB", L::English_GB},
        {"de-CH-1901", L::German_Swiss},
        {"German_Swiss", L::German_Swiss},
        {"de", L::German_1996},
        {"de-AT", L::German_1996},
        {"de-CH", L::German_Swiss},
        {"DE-1901", L::German_1901},
        {"fr-FR", L::French},
        {"pt-BR", L::Portuguese},
        {"zh-latn-pinyin", L::Chinese},
        {"zh", L::Chinese},
        {"el", L::Greek_Mono},
        {"grc", L::Greek_Ancient},
        {"la-x-classic", L::Latin_Classic},
        {"es-419", L::Spanish},
        {"Serbocroatian_Latin", L::Serbocroatian_Latin},
        {"hsb", L::Uppersorbian},
    };
    for (const auto& [name, language] : good)
        EXPECT_EQ(languageByName(name), language) << name;
    for (std::string_view name :
         {"", "xx", "en-", "english", "Klingon", "en-USA-x", "fr-FR-x", "\xc3\xa9"})
        EXPECT_EQ(languageByName(name), std::nullopt) << name;
}

} // namespace
