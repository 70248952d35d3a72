// The reader of hyph_*.dic files and its hyphenation, on small files whose
// expected outputs were taken from libhyphen.
#include "Text/Sillabor/Dictionary.hpp"
#include "Text/Sillabor/Pattern.hpp"
#include "detail/dictionary/DictionaryRep.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using namespace Text::Sillabor::detail;

// The breaks of `word` as "ab=cd", with the file's minima.
std::string breaks(const DictionaryRep& d, const std::string& word) {
    DicWork work;
    hyphenateBytes(d, word, d.minima, work);
    std::string out;
    for (std::size_t i = 0; i < word.size(); ++i) {
        out += word[i];
        if (work.value[i] & 1) out += '=';
    }
    return out;
}

TEST(Dictionary, EveryFileReadsAsItsOtherReadersReadIt) {
    // Line 1 names the character set, whatever it says: an unknown name is
    // an 8-bit set, and its line is no pattern.
    const auto conv = DictionaryRep::parse("s2sz\nas1sz\n");
    EXPECT_FALSE(conv.utf8);
    EXPECT_FALSE(conv.knownEncoding);
    EXPECT_EQ(conv.encoding, "s2sz");
    EXPECT_EQ(breaks(conv, "kassza"), "kas=sza");
    EXPECT_EQ(breaks(conv, "sszz"), "sszz");
    // Only 19 bytes of it: the rest of the line is read as a line.
    EXPECT_EQ(DictionaryRep::parse("ISO8859-1 and more 1bc\n").encoding, "ISO8859-1 and more ");
    // An empty file, numbers that are none, lines without letters, a rule
    // with one number: all read, as the files' readers read them.
    const auto odd = DictionaryRep::parse(
        "EBCDIC\nLEFTHYPHENMIN 1x\nRIGHTHYPHENMIN two\n12\n\n a1b\nb1c\nq1r/x=y,1\n");
    EXPECT_EQ(odd.minima.left, 1);
    EXPECT_EQ(odd.minima.right, 0);
    EXPECT_EQ(breaks(odd, "abcd"), "ab=cd");
    ASSERT_EQ(odd.rules.size(), 1u);
    EXPECT_EQ(odd.rules[0].cut, 2); // one number: the whole pattern
    EXPECT_EQ(breaks(DictionaryRep::parse(""), "abc"), "abc");
    // Only '%' starts a comment.
    EXPECT_EQ(breaks(DictionaryRep::parse("ISO8859-1\n1#a\n"), "xy#ab"), "xy=#ab");
    EXPECT_EQ(breaks(DictionaryRep::parse("ISO8859-1\n%1#a\n"), "xy#ab"), "xy#ab");
}

TEST(Dictionary, APositionTakesTheLongestPatternEndingThere) {
    // "1b" is inside "xab", but the state reached after "xab" is that
    // pattern's own: its zeros win.
    const auto d = DictionaryRep::parse("UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\nxab\n1b\n");
    EXPECT_EQ(breaks(d, "xab"), "xab");
    EXPECT_EQ(breaks(d, "ab"), "a=b");
    // A later pattern with the same letters replaces an earlier one.
    const auto e = DictionaryRep::parse("UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\nb1c\nb2c\n");
    EXPECT_EQ(breaks(e, "abcd"), "abcd");
}

TEST(Dictionary, MinimaAndCompoundParts) {
    const auto d =
        DictionaryRep::parse("UTF-8\nLEFTHYPHENMIN 2\nRIGHTHYPHENMIN 2\nCOMPOUNDLEFTHYPHENMIN 2\n"
                             "COMPOUNDRIGHTHYPHENMIN 3\nx1y\nNEXTLEVEL\n1a\n1b\n1c\n1d\n1e\n");
    EXPECT_EQ(breaks(d, "abcdexyabcdeab"), "ab=c=dex=ya=b=c=d=e=ab");
    EXPECT_EQ(breaks(d, "abxyabcdeab"), "abx=ya=b=c=d=e=ab");
    // In a word cut into parts, every part, the last one too, keeps the
    // break before a last character of one byte off, whatever the minima;
    // a last character of two bytes keeps it.
    const auto parts = DictionaryRep::parse(
        "UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\n1x1\nNEXTLEVEL\n1a1\n1b1\n1c1\n1d1\n1e1\n1ä1\n");
    EXPECT_EQ(breaks(parts, "abcxabcde"), "a=bc=x=a=b=c=de");
    EXPECT_EQ(breaks(parts, "abxbä"), "ab=x=b=ä");
    EXPECT_EQ(breaks(parts, "abcde"), "a=b=c=d=e"); // not cut: the word's minima only
    // The first level cuts each part again, as a word with dots at its edges.
    const auto again = DictionaryRep::parse(
        "ISO8859-1\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\nCOMPOUNDLEFTHYPHENMIN 1\n"
        "COMPOUNDRIGHTHYPHENMIN 1\nxy1z\n.z1w\nNEXTLEVEL\n1q1\n");
    EXPECT_EQ(breaks(again, "xyzwabcd"), "xy=z=wabcd");
    // The word's minima count from its first character that is not a digit
    // to its last.
    const auto digits = DictionaryRep::parse("ISO8859-1\n1a1\n1b1\n");
    EXPECT_EQ(breaks(digits, "abab"), "ab=ab");
    EXPECT_EQ(breaks(digits, "0abab"), "0ab=ab");
    EXPECT_EQ(breaks(digits, "00abab"), "00ab=ab");
    EXPECT_EQ(breaks(digits, "abab00"), "ab=ab00");
    // No break after a one-letter word; a right minimum never clears the
    // first position.
    const auto one = DictionaryRep::parse("UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 3\n1a1\n1b1\n");
    EXPECT_EQ(breaks(one, "a"), "a");
    EXPECT_EQ(breaks(one, "ab"), "a=b");
    EXPECT_EQ(breaks(one, "aba"), "a=ba");
    // Minima count characters, not bytes.
    const auto u = DictionaryRep::parse("UTF-8\nLEFTHYPHENMIN 2\nRIGHTHYPHENMIN 2\n1ä\n1ö\n1ü\n");
    EXPECT_EQ(breaks(u, "äöüäöü"), "äö=ü=ä=öü");
    // The ligatures of three letters count as two characters.
    const auto w = DictionaryRep::parse(
        "UTF-8\nLEFTHYPHENMIN 2\nRIGHTHYPHENMIN 1\n1ﬃ1\n1ﬁ1\n1b1\n1c1\n1d1\n1e1\n");
    EXPECT_EQ(breaks(w, "ﬃbcde"), "ﬃ=b=c=d=e");
    EXPECT_EQ(breaks(w, "ﬁbcde"), "ﬁb=c=d=e");
}

TEST(Dictionary, LinesAreReadInPiecesOf99Bytes) {
    const std::string head = "ISO8859-1\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\n";
    const std::string comment = "% " + std::string(97, 'q'); // 99 bytes
    struct Case {
        std::string lines, word, expected;
    };
    const Case cases[] = {
        // The tail of a long comment is read as a pattern...
        {comment + "x1y\n", "xy", "x=y"},
        {comment.substr(0, 98) + "x1y\n", "xy", "x=y"}, // "1y": still a break before y
        {comment.substr(0, 97) + "x1y\n", "xy", "xy"},  // "1y" stays in the comment
        // ...a pattern ends at white space, and a line that starts with
        // white space holds nothing.
        {"x1y zz\n", "xy", "x=y"},
        {"x1y\tzz\n", "xy", "x=y"},
        {" x1y\n", "xy", "xy"},
    };
    for (const Case& c : cases) {
        const auto d = DictionaryRep::parse(head + c.lines);
        EXPECT_EQ(breaks(d, c.word), c.expected) << c.lines;
    }
}

TEST(Dictionary, ReplacementRules) {
    struct Case {
        const char* file;
        const char* word;
        int at, pos, cut;
        const char* replacement;
    };
    const Case cases[] = {
        {"UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\n1a/x=y,1,1\n", "xa", 0, 0, 1, "x=y"},
        {"UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\na1/x=y,1,1\n", "ab", 0, 1, 1, "x=y"},
        {"UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\na1b1c/x=y,1,3\n", "abc", 1, 2, 3, "x=y"},
        {"UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\nd3d1ze/dz=,1,1\n", "oddzet", 1, 1, 1, "dz="},
        {"UTF-8\n.as3szon/sz=,2,1\n", "asszonnyal", 1, 1, 1, "sz="},
        {"UTF-8\nl·9l/=,2,1\n", "paral·lel", 6, 2, 2,
         "="}, // byte 6 ends "·"; bytes, not characters
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const auto d = DictionaryRep::parse(c.file);
        DicWork work;
        hyphenateBytes(d, c.word, d.minima, work);
        const RuleAt& r = work.rule[static_cast<std::size_t>(c.at)];
        ASSERT_GE(r.rule, 0);
        EXPECT_EQ(d.rules[static_cast<std::size_t>(r.rule)].replacement, c.replacement);
        EXPECT_EQ(r.pos, c.pos);
        EXPECT_EQ(r.cut, c.cut);
    }
    // A higher digit from another pattern takes the break, and the rule goes.
    const auto d =
        DictionaryRep::parse("UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\nab3c/x=y,2,2\nb5cd\n");
    DicWork work;
    hyphenateBytes(d, "abcde", d.minima, work);
    EXPECT_EQ(work.value[1], 5);
    EXPECT_EQ(work.rule[1].rule, -1);
    // A higher even digit leaves the rule (no break there, but libhyphen's
    // `rep` still names it).
    const auto even =
        DictionaryRep::parse("UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\nab3c/x=y,2,2\nb4cd\n");
    hyphenateBytes(even, "abcde", even.minima, work);
    EXPECT_EQ(work.value[1], 4);
    EXPECT_GE(work.rule[1].rule, 0);
    // At the word's start, a break with a rule counts the characters of its
    // text before the line end beyond the first against the left minimum.
    struct MinimumCase {
        const char* rule;
        int left;
        const char* word;
        const char* expected;
    };
    const MinimumCase minimumCases[] = {
        {"t5tyo/ty=ty,1,3", 2, "ttyolobar", "t=tyolobar"},
        {"t5tyo/ty=ty,1,3", 3, "ttyolobar", "ttyolobar"},
        {"t5tyo/ty=ty,1,3", 3, "attyolobar", "at=tyolobar"},
        {"t5tyo/ty=ty,1,3", 4, "attyolobar", "attyolobar"},
        {"b5c/QQQ=R,1,2", 4, "abcd", "ab=cd"},
        {"b5c/QQQ=R,1,2", 5, "abcd", "abcd"},
        {"b5c/=R,1,2", 2, "abcd", "ab=cd"}, // never less than the plain count
        {"b5c/=R,1,2", 3, "abcd", "abcd"},
    };
    for (const MinimumCase& c : minimumCases) {
        const auto m = DictionaryRep::parse("UTF-8\nLEFTHYPHENMIN " + std::to_string(c.left) +
                                            "\nRIGHTHYPHENMIN 1\n" + c.rule + "\n");
        EXPECT_EQ(breaks(m, c.word), c.expected) << c.rule << " " << c.left;
    }
}

} // namespace

namespace {

using Text::Sillabor::Break;

TEST(DictionaryInterface, TypedBreaksAndPieces) {
    const auto hu = Text::Sillabor::parseDictionary(
        "UTF-8\nLEFTHYPHENMIN 2\nRIGHTHYPHENMIN 2\n.as3szon/sz=,2,1\nn1nyal./ny=ny,1,3\n1ta\n");
    EXPECT_EQ(hu.leftMin(), 2);
    EXPECT_EQ(hu.encoding(), "UTF-8");
    const auto found = hu.breaks(U"asszonnyal");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], (Break{2, 1, 2, U"sz", U""}));
    EXPECT_EQ(found[1], (Break{6, 5, 8, U"ny", U"ny"}));
    EXPECT_THAT(Text::Sillabor::hyphenate(hu, U"asszonnyal"),
                ::testing::ElementsAre(U"asz", U"szony", U"nyal"));
    // Breaks found on the lowered word, applied to the word as written.
    EXPECT_THAT(Text::Sillabor::applyBreaks(U"ASSZONNYAL", found),
                ::testing::ElementsAre(U"Asz", U"SZOny", U"nyAL"));
    // No break after the last character, even where a one-letter word keeps
    // its digit.
    const auto one = Text::Sillabor::parseDictionary("UTF-8\nLEFTHYPHENMIN 1\na1\n");
    EXPECT_TRUE(one.breaks(U"a").empty());
    // Plain breaks.
    EXPECT_THAT(Text::Sillabor::hyphenate(hu, U"abata"), ::testing::ElementsAre(U"aba", U"ta"));
    EXPECT_TRUE(hu.breaks(U"abata")[0].plain());
    // A break overlapping the one before, or reaching past the word, is left out.
    const Break overlapping[] = {{3, 1, 4, U"x", U"y"}, {4, 2, 4, U"z", U""}, {5, 5, 9, U"", U""}};
    EXPECT_THAT(Text::Sillabor::applyBreaks(U"abcdef", overlapping),
                ::testing::ElementsAre(U"ax", U"yef"));
}

TEST(DictionaryInterface, CallersMayChooseTheMinima) {
    // The file keeps three characters at either end; a caller may keep fewer
    // or more, and the parts of a compound keep the file's minima.
    const auto d =
        Text::Sillabor::parseDictionary("UTF-8\nLEFTHYPHENMIN 3\nRIGHTHYPHENMIN 3\n1b1\n1d1\n");
    auto at = [](const std::vector<Break>& found) {
        std::vector<std::size_t> out;
        for (const Break& b : found)
            out.push_back(b.at);
        return out;
    };
    EXPECT_THAT(at(d.breaks(U"abcdef")), ::testing::ElementsAre(3));
    EXPECT_THAT(at(d.breaks(U"abcdef", 1, 1)), ::testing::ElementsAre(1, 2, 3, 4));
    EXPECT_THAT(at(d.breaks(U"abcdef", 2, 3)), ::testing::ElementsAre(2, 3));
    EXPECT_THAT(at(d.breaks(U"abcdef", 4, 1)), ::testing::ElementsAre(4));
    try {
        (void)d.breaks(U"abcdef", 0, 2);
        ADD_FAILURE() << "a minimum of 0 was taken";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "a hyphenation minimum must be at least 1, not 0");
    }
}

TEST(DictionaryInterface, EightBitFilesTakeAndGiveCodePoints) {
    // ISO8859-2: 0xB9 is "š", 0xE8 is "č".
    const auto d =
        Text::Sillabor::parseDictionary("ISO8859-2\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\n\xB9"
                                        "1\xE8\n");
    EXPECT_THAT(Text::Sillabor::hyphenate(d, U"ašča"), ::testing::ElementsAre(U"aš", U"ča"));
    // A character the set lacks matches no pattern.
    EXPECT_THAT(Text::Sillabor::hyphenate(d, U"a\u4E2Dč"), ::testing::ElementsAre(U"a\u4E2Dč"));
}

TEST(DictionaryInterface, BreaksOfABuiltInHyphenator) {
    Text::Sillabor::Hyphenator h;
    h.hyphenatorPatterns =
        Text::Sillabor::parsePatterns(U"hy3ph\nhe2n\nhen5at\nhena4\n1na\nn2at\n1tio\n2io\no2n\n");
    h.hyphenatorLeftMin = 2;
    h.hyphenatorRightMin = 3;
    const auto found = Text::Sillabor::breaks(h, U"hyphenation");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], (Break{2, 2, 2, U"", U""}));
    EXPECT_EQ(found[1], (Break{6, 6, 6, U"", U""}));
}

} // namespace

namespace {

// A word written with capitals is looked up on its lowered form and cut as
// written: the one way the tool, running text and HTML ask a dictionary.
TEST(Dictionary, LooksUpAWordOnItsNormalisedForm) {
    using Text::Sillabor::Break;
    const auto d =
        Text::Sillabor::parseDictionary("UTF-8\nLEFTHYPHENMIN 1\nRIGHTHYPHENMIN 1\na1b\n");
    const auto lower = [](char32_t c) { return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c; };
    EXPECT_TRUE(d.breaks(U"ABAB").empty()); // the patterns are lower case
    std::vector<std::size_t> at;
    for (const Break& b : d.breaks(U"ABAB", lower))
        at.push_back(b.at);
    EXPECT_EQ(at, (std::vector<std::size_t>{1, 3}));
    EXPECT_EQ(Text::Sillabor::applyBreaks(U"ABAB", d.breaks(U"ABAB", lower)),
              (std::vector<std::u32string>{U"A", U"BA", U"B"}));
}

} // namespace
