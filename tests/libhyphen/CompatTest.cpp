// libsillabor_hyphen through libhyphen's own functions, on small files: what
// libhyphen's test suite asks of it, each case named for its behaviour
// (outputs checked against Debian's libhyphen 2.8.8), and where it does the
// sound thing that libhyphen does not (each listed in docs/libhyphen.md).
#include "Replacements.hpp"
#include "hyphen.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A dictionary read from `text`.
class Dic {
public:
    explicit Dic(const std::string& text) {
        FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
        dict_ = hnj_hyphen_load_file(f);
        std::fclose(f);
    }
    ~Dic() { hnj_hyphen_free(dict_); }
    Dic(const Dic&) = delete;
    Dic& operator=(const Dic&) = delete;
    HyphenDict* get() const { return dict_; }

    // The hyphenated word of hnj_hyphen_hyphenate2, in a buffer of the
    // 2 * size + 1 bytes that callers allocate.
    std::string hyphenated(const std::string& word) const {
        const int n = static_cast<int>(word.size());
        std::vector<char> hyphens(word.size() + 5), out(2 * word.size() + 1);
        char** rep = nullptr;
        int *pos = nullptr, *cut = nullptr;
        EXPECT_EQ(hnj_hyphen_hyphenate2(dict_, word.c_str(), n, hyphens.data(), out.data(), &rep,
                                        &pos, &cut),
                  0);
        sillabor_test::freeReplacements(rep, pos, cut, n);
        return out.data();
    }
    // The hyphens of the old hnj_hyphen_hyphenate.
    std::string old(const std::string& word) const {
        std::vector<char> hyphens(word.size() + 5, 'Z');
        EXPECT_EQ(hnj_hyphen_hyphenate(dict_, word.c_str(), static_cast<int>(word.size()),
                                       hyphens.data()),
                  0);
        return hyphens.data();
    }

private:
    HyphenDict* dict_;
};

// ---- What libhyphen's own suite asks ------------------------------------------

TEST(LibhyphenCompat, FirstLineNamesTheCharacterSetWhateverItSays) {
    const Dic d("s2sz\nas1sz\n");
    ASSERT_NE(d.get(), nullptr);
    EXPECT_STREQ(d.get()->cset, "s2sz");
    EXPECT_EQ(d.get()->utf8, 0);
    EXPECT_EQ(d.hyphenated("kassza"), "kas=sza");
    EXPECT_EQ(d.hyphenated("sszz"), "sszz"); // line 1 is no pattern
}

TEST(LibhyphenCompat, NoBreakBesideAnyNoHyphenItemTheLastOneToo) {
    const Dic d("UTF-8\nNOHYPHEN -,',\xE2\x80\x99\n1-1\n1'1\n1\xE2\x80\x99"
                "1\nNEXTLEVEL\n");
    EXPECT_EQ(d.get()->nohyphenl, 2); // three items
    EXPECT_EQ(d.hyphenated("foobar'foobar-foobar\xE2\x80\x99"
                           "foobar"),
              "foobar'foobar-foobar\xE2\x80\x99"
              "foobar");
}

// A file, a word, and the hyphenated word that hnj_hyphen_hyphenate2 gives.
struct Case {
    const char* behaviour;
    std::string file;
    std::string word;
    std::string hyphenated;
};

void expectCases(std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.behaviour);
        EXPECT_EQ(Dic(c.file).hyphenated(c.word), c.hyphenated);
    }
}

TEST(LibhyphenCompat, ReplacementsLigaturesAndDigitsAsTheSuiteAsks) {
    expectCases({
        {"a ligature of three letters counts two, and its replacement breaks it",
         "UTF-8\nLEFTHYPHENMIN 2\nRIGHTHYPHENMIN 2\n\xEF\xAC\x83"
         "1/f=\xEF\xAC\x81,1,1\n",
         "ma\xEF\xAC\x83"
         "a",
         "maf=\xEF\xAC\x81"
         "a"},
        // "kilowat|time" with "tt=t": the part "kilowatt" is cut again by the
        // first level, and its parts hyphenated by the second.
        {"a replacement at a compound boundary ends its part with its text",
         "ISO8859-1\nwat1time/tt=t,3,2\n.kilo1watt.\nNEXTLEVEL\n.ki1lo.\n.ti1me.\n", "kilowattime",
         "ki=lo=watt=ti=me"},
        {"digits do not count towards the minima, but a replacement after them keeps its break",
         "UTF-8\nNEXTLEVEL\n7-/=-,1,1\n", "100-sekundowy", "100=-sekundowy"},
    });
}

// ---- Where the sound thing differs from libhyphen's --------------------------

TEST(LibhyphenCompat, TheOldFunctionGivesThePlainBreaksOfBothLevelsByByte) {
    // libhyphen's own reads only the first level: for a file of one level,
    // the hyphens and apostrophes ("011000000000" here).
    const Dic d("UTF-8\nLEFTHYPHENMIN 2\nRIGHTHYPHENMIN 3\n1co\no1o\n1p1er\n1a1t\n");
    EXPECT_EQ(d.hyphenated("co-operation"), "co-op=er=a=tion");
    EXPECT_EQ(d.old("co-operation"), "000010110000");
    // A break with a replacement cannot be said by it, and is left out.
    const Dic hu("ISO8859-2\nas3sz/sz=sz,2,3\no1ny\n");
    EXPECT_EQ(hu.hyphenated("asszonyok"), "asz=szo=nyok");
    EXPECT_EQ(hu.old("asszonyok"), "000010000");
}

TEST(LibhyphenCompat, ReplacementsWhereLibhyphenLosesOrOverrunsText) {
    expectCases({
        // libhyphen writes "st=sz", past the 4 bytes and NUL of a caller's
        // buffer.
        {"the hyphenated word never passes twice the word", "UTF-8\n7a./t=sz,1,1\n", "sa", "st=s"},
        // libhyphen replaces as many characters as the pattern has bytes,
        // digits included, and loses a letter: "staff=fl".
        {"a replacement without numbers replaces the pattern's letters", "ISO8859-1\nf1f/ff=f\n",
         "staffel", "staff=fel"},
        // libhyphen takes the '/' of the comment as the pattern's replacement.
        {"a pattern ends at white space, with what it replaces",
         "ISO8859-1\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\nab1c % x/y=z\n", "abcd", "ab=cd"},
    });
}

TEST(LibhyphenCompat, NoHyphenItems) {
    // The last item of a line ended by CRLF has no carriage return
    // (libhyphen keeps it, and the item never matches).
    const Dic crlf("UTF-8\r\nNOHYPHEN -,x\r\n1x1\r\nNEXTLEVEL\r\n1b1\r\n");
    EXPECT_EQ(crlf.hyphenated("abxab"), "abxab"); // libhyphen: "ab=x=ab"
    // Empty items name nothing (libhyphen clears every break, writing
    // before the array; or crashes).
    const Dic empty(
        "UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\nNOHYPHEN -,x,,\n1x1\n1b1\nNEXTLEVEL\n");
    EXPECT_EQ(empty.get()->nohyphenl, 1);
    EXPECT_EQ(empty.hyphenated("abxb"), "a=bxb");
    // In a file of one level, the file's items hold beside the made ones
    // (libhyphen reads NOHYPHEN only in the first of two levels).
    const Dic one("ISO8859-1\nNOHYPHEN q\n1a1\n1b1\n1q1\n");
    EXPECT_EQ(one.hyphenated("abqbab"), "abqb=ab"); // libhyphen: "ab=q=b=ab"
    EXPECT_EQ(std::string(one.get()->nohyphen), "'");
    EXPECT_EQ(one.get()->nohyphenl, 2);
}

// ---- The fields programs read -------------------------------------------------

TEST(LibhyphenCompat, FieldsAndMinima) {
    const Dic d("ISO8859-1\nLEFTHYPHENMIN 2\nRIGHTHYPHENMIN 3\n1a1\n1b1\n");
    EXPECT_EQ(d.get()->lhmin, 2);
    EXPECT_EQ(d.get()->rhmin, 3);
    EXPECT_EQ(d.get()->clhmin, 2); // the made first level's: the word's
    ASSERT_NE(d.get()->nextlevel, nullptr);
    EXPECT_EQ(d.get()->nextlevel->nextlevel, nullptr);
    // hnj_hyphen_hyphenate3: the larger of the caller's minima and the file's.
    std::vector<char> hyphens(16), out(32);
    char** rep = nullptr;
    int *pos = nullptr, *cut = nullptr;
    hnj_hyphen_hyphenate3(d.get(), "abababab", 8, hyphens.data(), out.data(), &rep, &pos, &cut, 1,
                          1, 0, 0);
    EXPECT_STREQ(out.data(), "ab=a=b=a=bab");
    hnj_hyphen_hyphenate3(d.get(), "abababab", 8, hyphens.data(), out.data(), &rep, &pos, &cut, 3,
                          1, 0, 0);
    EXPECT_STREQ(out.data(), "aba=b=a=bab");
}

} // namespace
