// The fast paths against the reference scorer, word for word, over the
// shared word lists and over random odd input.
#include "PinnedData.hpp"
#include "ReferenceLanguage.hpp"
#include "Support.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace sillabor_test;

using Reference = sillabor_reference::Language;

std::vector<std::string> corpus(const char* name) {
    const std::filesystem::path path = std::filesystem::path(SILLABOR_WORDS_DIR) / name;
    std::vector<std::string> words;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) words.push_back(line);
    return words;
}

// Every word of a list: the code-point interface, the break finder and the UTF-8
// interface all cut as the reference does.
void checkCorpus(const char* file, Language language) {
    const auto words = corpus(file);
    if (words.empty()) GTEST_SKIP() << "no word list " << file << " in " << SILLABOR_WORDS_DIR;
    const Reference ref(language);
    const Hyphenator& h = languageHyphenator(language);
    BreakFinder find;
    std::size_t broken = 0;
    for (const std::string& bytes : words) {
        const std::u32string word = toUtf32(bytes);
        const auto pieces = hyphenate(h, word);
        ASSERT_EQ(pieces, sillabor_reference::hyphenate(ref.hyphenator, word)) << bytes;
        const auto breaks = find(h, word);
        ASSERT_EQ(breaks.size() + 1, pieces.size()) << bytes;
        const auto utf8 = hyphenate(h, bytes);
        ASSERT_EQ(utf8.size(), pieces.size()) << bytes;
        for (std::size_t i = 0; i < pieces.size(); ++i)
            ASSERT_EQ(toUtf32(utf8[i]), pieces[i]);
        broken += pieces.size() > 1;
    }
    EXPECT_GT(broken, words.size() / 2);
}

TEST(Corpus, EnglishWordsCutAsTheReferenceCutsThem) {
    SILLABOR_NEEDS_PINNED_DATA();
    checkCorpus("words-en.txt", Language::English_US);
}

TEST(Corpus, GermanWordsCutAsTheReferenceCutsThem) {
    SILLABOR_NEEDS_PINNED_DATA();
    checkCorpus("words-de.txt", Language::German_1996);
}

// Random patterns and words over odd code points, with a normaliser that
// maps some of them, through both the packed fast path and the general one.
TEST(Corpus, RandomOddInputCutsAsTheReferenceCutsIt) {
    Random random(29);
    const std::u32string letters = {U'a',   U'b',     U'\u00e9', U'\U0001F600', 0,
                                    0xD800, 0x10FFFF, 0x110000,  0xFFFFFFFF,    U'.'};
    const std::u32string wordLetters = letters + U"AX-";
    auto fold = [](char32_t c) { return c == U'A' ? U'a' : c == 0xFFFFFFFF ? U'b' : c; };
    for (int round = 0; round < 300; ++round) {
        const std::u32string text = random.patternText(letters, random.below(30), 5);
        std::u32string exceptionText;
        for (std::size_t i = random.below(3); i-- > 0;)
            exceptionText += random.word(wordLetters, 6) + U"\n";
        const auto lm = static_cast<std::ptrdiff_t>(random.below(4));
        const auto rm = static_cast<std::ptrdiff_t>(random.below(4));
        const Hyphenator h{fold, parsePatterns(text), parseExceptions(exceptionText), lm, rm};
        const sillabor_reference::Trie trie(text);
        const sillabor_reference::Hyphenator ref{
            fold, &trie, sillabor_reference::exceptions(exceptionText), lm, rm};
        BreakFinder find;
        for (int k = 0; k < 30; ++k) {
            const std::u32string w = random.word(wordLetters, 10);
            const auto pieces = hyphenate(h, w);
            ASSERT_EQ(pieces, sillabor_reference::hyphenate(ref, w))
                << "patterns:\n"
                << utf8(text) << "word: " << utf8(w);
            ASSERT_EQ(find(h, w).size() + 1, pieces.size());
        }
    }
}

} // namespace
