#include "detail/data/EmbeddedFiles.hpp"
#include "PinnedData.hpp"
#include "Sha256.hpp"
#include "Text/Sillabor/Language.hpp"
#include "detail/data/Gzip.hpp"
#include "detail/data/LanguageFacts.hpp"

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
    SILLABOR_NEEDS_PINNED_DATA();
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
    SILLABOR_NEEDS_PINNED_DATA();
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

// Every entry decompresses to the text that data/MANIFEST.tsv pins: its size
// and its SHA-256.
TEST(EmbeddedFiles, DecompressToTheManifestsTexts) {
    SILLABOR_NEEDS_PINNED_DATA();
    std::ifstream in(SILLABOR_MANIFEST);
    ASSERT_TRUE(in) << SILLABOR_MANIFEST;
    std::string line;
    std::getline(in, line);
    std::size_t checked = 0, empty = 0, total = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name, sha;
        std::size_t bytes = 0;
        fields >> name >> bytes >> sha;
        const auto data = findEmbeddedFile(name + ".gz");
        ASSERT_TRUE(data) << name;
        const std::string text = detail::gunzip(*data, name);
        EXPECT_EQ(text.size(), bytes) << name;
        EXPECT_EQ(sillabor_tools::sha256(text), sha) << name;
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

TEST(Sha256, DigestsOfKnownTexts) {
    EXPECT_EQ(sillabor_tools::sha256(""),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sillabor_tools::sha256("abc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sillabor_tools::sha256(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Each variant's licence, as the library states it, is what its lic file
// says.
TEST(EmbeddedFiles, LicencesAreWhatTheLicenceFilesSay) {
    SILLABOR_NEEDS_PINNED_DATA();
    const std::pair<std::string_view, std::vector<std::string_view>> words[] = {
        {"LPPL", {"latex project public licen", "license: lppl"}},
        {"MIT", {"permission is hereby granted", "mit licen"}},
        {"GPL", {"gnu general public licen", "gnu gpl"}},
        {"LGPL", {"lgpl"}},
        {"MPL", {"mozilla public licen"}},
        {"BSD", {"bsd"}},
        {"public domain", {"public domain"}},
        {"permissive",
         {"freely use", "with or without modification", "for any purpose",
          "whatever needs to be done"}},
        {"free distribution", {"freely distributed"}},
        {"renamed if modified", {"must not be capable of being confused"}},
    };
    for (const auto& facts : detail::languageFacts) {
        std::string text = detail::gunzip(
            *findEmbeddedFile("hyph-" + std::string(facts.affix) + ".lic.txt.gz"), "");
        // Lower case, one line, without the comment signs.
        for (char& c : text)
            c = c == '\n' || c == '%'
                    ? ' '
                    : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::string flat;
        for (char c : text)
            if (c != ' ' || (!flat.empty() && flat.back() != ' ')) flat += c;
        auto says = [&](std::string_view licence) {
            for (const auto& [name, phrases] : words)
                if (name == licence)
                    return std::any_of(phrases.begin(), phrases.end(), [&](std::string_view p) {
                        return flat.find(p) != std::string::npos;
                    });
            return false;
        };
        if (facts.licence == "none stated") {
            for (const auto& [name, phrases] : words)
                EXPECT_FALSE(says(name)) << facts.affix << " says " << name;
            continue;
        }
        // "MIT or LPPL", "MPL, GPL or LGPL": each named licence is there.
        std::string labels(facts.licence);
        for (std::string_view sep : {", ", " or "})
            for (std::size_t at; (at = labels.find(sep)) != std::string::npos;)
                labels.replace(at, sep.size(), "|");
        std::istringstream parts(labels);
        for (std::string part; std::getline(parts, part, '|');)
            EXPECT_TRUE(says(part)) << facts.affix << " should say " << part;
    }
}

TEST(Gunzip, ReportsDataThatIsNotGzip) {
    SILLABOR_NEEDS_PINNED_DATA();
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
