// The interfaces that give break positions agree: the code points' `breaks`
// and `BreakFinder`, the UTF-8 `hyphenate` and the C interface, in scripts of
// one to four bytes a character (docs/semantics.md names the convention).
#include "PinnedData.hpp"

#include "Text/Sillabor.hpp"
#include "sillabor.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Text::Sillabor;

// Byte offsets of the code-point offsets of a UTF-8 word.
std::vector<std::size_t> byteOffsets(const std::string& word, const std::vector<std::size_t>& at) {
    std::vector<std::size_t> out;
    const std::u32string points = toUtf32(word);
    for (std::size_t k : at)
        out.push_back(toUtf8(std::u32string_view(points).substr(0, k)).size());
    return out;
}

// Checks that every interface gives the same breaks for `word`.
void agree(const Hyphenator& h, sillabor_hyphenator* c, const std::string& word) {
    SCOPED_TRACE(word);
    const std::u32string points = toUtf32(word);
    std::vector<std::size_t> offsets;
    for (const Break& b : breaks(h, points))
        offsets.push_back(b.at);
    ASSERT_FALSE(offsets.empty()) << "a word with breaks, or the test shows nothing";

    BreakFinder find;
    std::vector<std::size_t> lastOfPiece;
    for (std::size_t i : find(h, points))
        lastOfPiece.push_back(i + 1);
    EXPECT_EQ(lastOfPiece, offsets);

    const std::vector<std::size_t> bytes = byteOffsets(word, offsets);
    std::vector<std::size_t> pieceEnds;
    std::size_t end = 0;
    const std::vector<std::string> pieces = hyphenate(h, std::string_view(word));
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i)
        pieceEnds.push_back(end += pieces[i].size());
    EXPECT_EQ(pieceEnds, bytes);

    sillabor_break found[64];
    char text[256];
    std::size_t textSize = 0;
    const long n = sillabor_breaks(c, word.data(), word.size(), found, 64, sizeof *found, text,
                                   sizeof text, &textSize);
    ASSERT_GE(n, 0) << sillabor_last_error();
    std::vector<std::size_t> fromC;
    for (long i = 0; i < n; ++i)
        fromC.push_back(found[i].at);
    EXPECT_EQ(fromC, bytes);
}

struct Closer {
    void operator()(sillabor_hyphenator* h) const { sillabor_free(h); }
};
using Handle = std::unique_ptr<sillabor_hyphenator, Closer>;

TEST(Positions, AgreeAcrossTheInterfaces) {
    SILLABOR_NEEDS_PINNED_DATA();
    const struct {
        Language language;
        const char* tag;
        std::vector<std::string> words;
    } languages[] = {
        {Language::English_US, "en-us", {"hyphenation", "Typesetting", "encyclopedia"}},
        {Language::German_1996, "de-1996", {"Silbentrennung", "Straßenbahn", "Fußgängerübergänge"}},
        {Language::Greek_Mono, "el-monoton", {"καλημέρα", "υπολογιστής"}},
        {Language::Russian, "ru", {"переносы", "электричество"}},
        {Language::Hindi, "hi", {"हिन्दी", "विश्वविद्यालय"}},
    };
    for (const auto& [language, tag, words] : languages) {
        const Handle c(sillabor_open_language(tag));
        ASSERT_TRUE(c) << tag;
        for (const std::string& word : words)
            agree(languageHyphenator(language), c.get(), word);
    }
}

TEST(Positions, AgreeForCharactersOfFourBytes) {
    // Gothic letters (U+10330...) with patterns of one's own.
    const std::string patterns = "𐌰1𐌱\n𐌲1𐌳\n";
    const Hyphenator h{[](char32_t c) { return c; }, parsePatterns(toUtf32(patterns)), {}, 1, 1};
    const Handle c(sillabor_open_patterns(patterns.data(), patterns.size(), nullptr, 0, 1, 1));
    ASSERT_TRUE(c) << sillabor_last_error();
    agree(h, c.get(), "𐌰𐌱𐌲𐌳");
    agree(h, c.get(), "a𐌰𐌱é𐌲𐌳z");
}

} // namespace
