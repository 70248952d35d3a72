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

// The output of `text` fed in pieces of the given sizes, cycling.
std::string inPieces(std::string_view text, std::vector<std::size_t> sizes,
                     std::size_t longest = 1024) {
    TextHyphenator t(english_US, englishLetters(), "|", longest);
    std::string out;
    std::size_t at = 0;
    for (std::size_t k = 0; at < text.size(); ++k) {
        const std::size_t n = std::min(sizes[k % sizes.size()], text.size() - at);
        t.feed(text.substr(at, n), out);
        at += n;
    }
    t.finish(out);
    return out;
}

TEST(RunningText, HyphenatesEveryWordAndCopiesTheRest) {
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
    const std::string text = "Typesetting \xe2\x80\x94 hyphenation\xc2\xa0of \xf0\x9f\x98\x80 "
                             "democratic institutions, repeatedly.\n";
    const std::string whole = inPieces(text, {text.size()});
    EXPECT_EQ(whole, "Type|set|ting \xe2\x80\x94 hy|phen|ation\xc2\xa0of \xf0\x9f\x98\x80 "
                     "de|mo|c|ra|tic in|sti|tu|tions, re|peat|edly.\n");
    for (std::vector<std::size_t> sizes :
         {std::vector<std::size_t>{1}, {2}, {3, 1}, {5, 7, 1}, {13}})
        EXPECT_EQ(inPieces(text, sizes), whole);
}

TEST(RunningText, CopiesWordsTooLongToHyphenate) {
    const std::string longWord(40, 'a');
    const std::string text = "hyphenation " + longWord + " hyphenation";
    for (std::vector<std::size_t> sizes : {std::vector<std::size_t>{1}, {7}, {text.size()}})
        EXPECT_EQ(inPieces(text, sizes, 20), "hy|phen|ation " + longWord + " hy|phen|ation");
}

TEST(RunningText, StopsAtBytesThatAreNotUtf8) {
    TextHyphenator t(english_US, englishLetters(), "|");
    std::string out;
    t.feed("hyphenation table", out);
    try {
        t.feed(" hyphenation\xc0\xaf rest", out);
        ADD_FAILURE() << "accepted an overlong form";
    } catch (const InvalidUtf8& e) {
        EXPECT_EQ(e.offset(), 29u);
    }
    EXPECT_EQ(out, "hy|phen|ation ta|ble hy|phen|ation");

    TextHyphenator cut(english_US, englishLetters(), "|");
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

TEST(WordCharacters, AreTheCharactersOfTheLanguagesFile) {
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
