#include "Text/Sillabor/detail/EmbeddedFiles.hpp"
#include "Text/Sillabor/Language.hpp"
#include "Text/Sillabor/detail/Gzip.hpp"
#include "Text/Sillabor/detail/LanguageFacts.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

using namespace Text::Sillabor;
using detail::embeddedFiles;
using detail::findEmbeddedFile;

TEST(EmbeddedFiles, HoldFourKindsForEveryVariant) {
    const auto files = embeddedFiles();
    ASSERT_EQ(files.size(), 292u);
    EXPECT_EQ(files.front().name, "hyph-af.chr.txt.gz");
    EXPECT_EQ(files.back().name, "hyph-zh-latn-pinyin.pat.txt.gz");
    EXPECT_TRUE(std::is_sorted(files.begin(), files.end(),
                               [](const auto& a, const auto& b) { return a.name < b.name; }));
    EXPECT_EQ(std::adjacent_find(files.begin(), files.end(),
                                 [](const auto& a, const auto& b) { return a.name == b.name; }),
              files.end());
    for (Language l : enumFrom(Language::Afrikaans))
        for (std::string_view kind : {"chr", "hyp", "lic", "pat"}) {
            const std::string name =
                "hyph-" + std::string(languageAffix(l)) + "." + std::string(kind) + ".txt.gz";
            EXPECT_TRUE(findEmbeddedFile(name)) << name;
        }
}

TEST(EmbeddedFiles, AreFoundByTheirExactNameOnly) {
    const auto la = findEmbeddedFile("hyph-la.pat.txt.gz");
    const auto classic = findEmbeddedFile("hyph-la-x-classic.pat.txt.gz");
    ASSERT_TRUE(la && classic);
    EXPECT_NE(la->data(), classic->data());
    EXPECT_FALSE(findEmbeddedFile("hyph-xx.pat.txt.gz"));
    EXPECT_FALSE(findEmbeddedFile("HYPH-EN-US.PAT.TXT.GZ"));
    EXPECT_FALSE(findEmbeddedFile("hyph-en-us.pat.txt"));
    EXPECT_FALSE(findEmbeddedFile("en-us.pat.txt.gz"));
    EXPECT_FALSE(findEmbeddedFile(""));
}

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Every entry decompresses to the text the data set's manifest describes.
TEST(EmbeddedFiles, DecompressToTheManifestsTexts) {
    const std::filesystem::path manifest =
        std::filesystem::path(SILLABOR_DATA_DIR) / "MANIFEST.tsv";
    if (!std::filesystem::exists(manifest)) GTEST_SKIP() << "no manifest in " << SILLABOR_DATA_DIR;
    std::ifstream in(manifest);
    std::string line;
    std::getline(in, line);
    std::size_t checked = 0, empty = 0, total = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name;
        std::size_t gzipBytes = 0, bytes = 0, lines = 0;
        fields >> name >> gzipBytes >> bytes >> lines;
        const auto data = findEmbeddedFile(name);
        ASSERT_TRUE(data) << name;
        EXPECT_EQ(data->size(), gzipBytes) << name;
        const std::string text = detail::gunzip(*data, name);
        EXPECT_EQ(text.size(), bytes) << name;
        EXPECT_EQ(lineCount(text), lines) << name;
        if (text.empty()) ++empty;
        total += text.size();
        ++checked;
    }
    EXPECT_EQ(checked, 292u);
    EXPECT_EQ(total, 2'499'549u);
    EXPECT_EQ(empty, 54u); // the exception files of the variants without exceptions
    EXPECT_EQ(lineCount(detail::gunzip(*findEmbeddedFile("hyph-en-us.pat.txt.gz"), "")), 4938u);
    EXPECT_EQ(detail::gunzip(*findEmbeddedFile("hyph-de-1996.hyp.txt.gz"), ""), "");
}

TEST(Gunzip, ReportsDataThatIsNotGzip) {
    const std::string_view good = *findEmbeddedFile("hyph-en-us.hyp.txt.gz");
    EXPECT_THROW(detail::gunzip("not gzip at all", "x"), std::runtime_error);
    EXPECT_THROW(detail::gunzip("", "x"), std::runtime_error);
    EXPECT_THROW(detail::gunzip(good.substr(0, good.size() / 2), "x"), std::runtime_error);
    std::string corrupt(good);
    corrupt[corrupt.size() / 2] ^= 0x55;
    EXPECT_THROW(detail::gunzip(corrupt, "x"), std::runtime_error);
    // Two members in a row decompress to both texts.
    const std::string twice = std::string(good) + std::string(good);
    EXPECT_EQ(detail::gunzip(twice, "x"), detail::gunzip(good, "x") + detail::gunzip(good, "x"));
}

} // namespace
