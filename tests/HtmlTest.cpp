#include "PinnedData.hpp"
#include "Support.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using namespace sillabor_test;
using L = Language;

std::string html(std::string_view text, L language = L::English_US, TextOptions options = {}) {
    if (options.separator == "\u00ad") options.separator = "|";
    return hyphenateHtml(language, text, options);
}

std::string inPieces(std::string_view text, const std::vector<std::size_t>& sizes) {
    return streamInPieces(HtmlHyphenator(L::English_US, {.separator = "|"}), text, sizes);
}

TEST(Html, HyphenatesTextAndCopiesMarkup) {
    SILLABOR_NEEDS_PINNED_DATA();
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"<p class=\"hyphenation\" title='typesetting'>hyphenation</p>",
         "<p class=\"hyphenation\" title='typesetting'>hy|phen|ation</p>"},
        {"<img alt=hyphenation src=x.png>typesetting",
         "<img alt=hyphenation src=x.png>type|set|ting"},
        {"<a title='a > hyphenation'>typesetting</a>",
         "<a title='a > hyphenation'>type|set|ting</a>"},
        {"<!-- hyphenation -->typesetting<!--->hyphenation--> typesetting",
         "<!-- hyphenation -->type|set|ting<!--->hy|phen|ation--> type|set|ting"},
        {"<!-- a --!>hyphenation", "<!-- a --!>hy|phen|ation"},
        {"<!DOCTYPE html><!-->hyphenation", "<!DOCTYPE html><!-->hy|phen|ation"},
        {"<![CDATA[hyphenation]]>typesetting", "<![CDATA[hyphenation]]>type|set|ting"},
        {"<?php hyphenation ?>typesetting", "<?php hyphenation ?>type|set|ting"},
        {"a < hyphenation <3 typesetting", "a < hy|phen|ation <3 type|set|ting"},
        {"</ hyphenation>typesetting", "</ hyphenation>type|set|ting"},
        {"hyphenation</>typesetting", "hy|phen|ation</>type|set|ting"},
    };
    for (const auto& [in, expected] : cases)
        EXPECT_EQ(html(in), expected) << in;
}

TEST(Html, CopiesTheContentOfSkippedElements) {
    SILLABOR_NEEDS_PINNED_DATA();
    for (std::string_view element : {"script", "style", "pre", "code", "kbd", "samp", "var",
                                     "textarea", "title", "math", "svg", "noscript"}) {
        const std::string e(element);
        const std::string in =
            "<" + e + " id=x>hyphenation <b>typesetting</b></" + e + ">hyphenation";
        EXPECT_EQ(html(in),
                  "<" + e + " id=x>hyphenation <b>typesetting</b></" + e + ">hy|phen|ation")
            << element;
    }
    // Raw text ends only at its own end tag.
    EXPECT_EQ(html("<script>if (a<b) s = '</p>hyphenation';</SCRIPT >hyphenation"),
              "<script>if (a<b) s = '</p>hyphenation';</SCRIPT >hy|phen|ation");
    EXPECT_EQ(html("<style>/*</styles>hyphenation*/</style>hyphenation"),
              "<style>/*</styles>hyphenation*/</style>hy|phen|ation");
    // The class that says so, among others.
    EXPECT_EQ(html("<p class='a nohyphenate b'>hyphenation <i>typesetting</i></p>hyphenation"),
              "<p class='a nohyphenate b'>hyphenation <i>typesetting</i></p>hy|phen|ation");
    EXPECT_EQ(html("<p class='nohyphenated'>hyphenation</p>"),
              "<p class='nohyphenated'>hy|phen|ation</p>");
    EXPECT_EQ(html("<p class=keep>hyphenation</p>", L::English_US,
                   {.separator = "|", .skipClass = "keep"}),
              "<p class=keep>hyphenation</p>");
}

TEST(Html, RemovingSoftHyphensTakesThemOutOfTheText) {
    // The character and its three references go from the text; what is left
    // alone (code, attributes, comments, a language without patterns)
    // keeps its own.
    const std::string page =
        "<p title=\"x\u00ady\">hy&shy;phen&#173;ation type\u00adset&#xAD;ting</p>"
        "<code>a\u00adb&shy;</code><!-- c\u00add --><p lang=ja>e\u00adf</p><p>&amp;&shy</p>";
    const std::string expected =
        "<p title=\"x\u00ady\">hyphenation typesetting</p>"
        "<code>a\u00adb&shy;</code><!-- c\u00add --><p lang=ja>e\u00adf</p><p>&amp;&shy</p>";
    TextOptions o;
    o.removeSoftHyphens = true;
    for (const std::vector<std::size_t>& sizes : {std::vector<std::size_t>{1}, {3}, {1000}})
        EXPECT_EQ(streamInPieces(HtmlHyphenator(L::English_US, o), page, sizes), expected);
}

TEST(Html, LanguageFollowsLangAttributes) {
    SILLABOR_NEEDS_PINNED_DATA();
    EXPECT_EQ(html("<html lang=\"de\"><p>Silbentrennung</p></html>"),
              "<html lang=\"de\"><p>Sil|ben|tren|nung</p></html>");
    EXPECT_EQ(html("<div lang=de>Silbentrennung <span lang=en-GB>hyphenation</span> "
                   "Silbentrennung</div> hyphenation"),
              "<div lang=de>Sil|ben|tren|nung <span lang=en-GB>hy|phen|a|tion</span> "
              "Sil|ben|tren|nung</div> hy|phen|ation");
    // xml:lang, and a language that has no patterns, or none at all.
    EXPECT_EQ(html("<p xml:lang='de' lang='de'>Silbentrennung</p>"),
              "<p xml:lang='de' lang='de'>Sil|ben|tren|nung</p>");
    for (std::string_view tag : {"ja", "zxx", "", "x-klingon"})
        EXPECT_EQ(html("<p lang='" + std::string(tag) + "'>hyphenation</p>hyphenation"),
                  "<p lang='" + std::string(tag) + "'>hyphenation</p>hy|phen|ation")
            << tag;
    // A paragraph that another block starts ends, with its language.
    EXPECT_EQ(html("<p lang=de>Silbentrennung<p>hyphenation<div lang=de><p>x</div>hyphenation"),
              "<p lang=de>Sil|ben|tren|nung<p>hy|phen|ation<div lang=de><p>x</div>hy|phen|ation");
    EXPECT_EQ(html("<ul><li lang=de>Silbentrennung<li>hyphenation</ul>"),
              "<ul><li lang=de>Sil|ben|tren|nung<li>hy|phen|ation</ul>");
    // The given hyphenator serves its own language, and a bare tag of it.
    const Hyphenator own{[](char32_t c) { return c; }, parsePatterns(U"1x\n"), {}, 1, 1};
    HtmlHyphenator h(own, WordCharacters(U"abx"), L::German_1901, {.separator = "|"});
    std::string out;
    h.feed("axa <p lang=de>axa <b lang=de-1901>axa</b> <i lang=de-1996>axa</i></p>", out);
    h.finish(out);
    EXPECT_EQ(out, "a|xa <p lang=de>a|xa <b lang=de-1901>a|xa</b> <i lang=de-1996>axa</i></p>");
}

TEST(Html, CharacterReferencesArePartOfWords) {
    SILLABOR_NEEDS_PINNED_DATA();
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"K&auml;sebrot", "K&auml;|se|brot"},
        {"K&#228;sebrot K&#xE4;sebrot K&#XE4;sebrot",
         "K&#228;|se|brot K&#xE4;|se|brot K&#XE4;|se|brot"},
        // Soft hyphens the author wrote as references.
        {"Silben&shy;trennung Silben&#173;trennung Silben&#xAD;trennung Silben&#xad;trennung",
         "Silben&shy;trennung Silben&#173;trennung Silben&#xAD;trennung Silben&#xad;trennung"},
        // References that stand for no letter end the word; unfinished ones
        // are kept whole.
        {"Silbentrennung&nbsp;Silbentrennung&amp;Silbentrennung",
         "Sil|ben|tren|nung&nbsp;Sil|ben|tren|nung&amp;Sil|ben|tren|nung"},
        {"Silben&aumltrennung &unknown;Silbentrennung &#;Silbentrennung &",
         "Sil|ben&aumltrennung &unknown;Sil|ben|tren|nung &#;Sil|ben|tren|nung &"},
        {"&#0;Silbentrennung&#x110000;Silbentrennung",
         "&#0;Sil|ben|tren|nung&#x110000;Sil|ben|tren|nung"},
    };
    for (const auto& [in, expected] : cases)
        EXPECT_EQ(html(in, L::German_1996), expected) << in;
}

TEST(Html, LeavesAddressesAndTheAuthorsBreaks) {
    SILLABOR_NEEDS_PINNED_DATA();
    EXPECT_EQ(html("<p>see https://example.com/hyphenation or typesetting@example.org.</p>"),
              "<p>see https://example.com/hyphenation or typesetting@example.org.</p>");
    EXPECT_EQ(html("<a href=x>www.hyphenation.org</a> hyphenation"),
              "<a href=x>www.hyphenation.org</a> hy|phen|ation");
    EXPECT_EQ(html("typesetting&#64;example.org"), "typesetting&#64;example.org");
    EXPECT_EQ(html("<b>HYPHENATION</b> table", L::English_US,
                   {.separator = "|", .minLength = 6, .capitals = false}),
              "<b>HYPHENATION</b> table");
}

TEST(Html, XhtmlSelfClosingTagsAndForeignContent) {
    SILLABOR_NEEDS_PINNED_DATA();
    // In XHTML "/>" closes any element; in HTML only void and foreign ones.
    EXPECT_EQ(html("<?xml version=\"1.0\"?><p><code/>hyphenation</p>"),
              "<?xml version=\"1.0\"?><p><code/>hy|phen|ation</p>");
    EXPECT_EQ(html("<p><code/>hyphenation</code>hyphenation</p>"),
              "<p><code/>hyphenation</code>hy|phen|ation</p>");
    EXPECT_EQ(html("<svg><path d='x'/><text>hyphenation</text></svg>hyphenation"),
              "<svg><path d='x'/><text>hyphenation</text></svg>hy|phen|ation");
    EXPECT_EQ(html("<p>hyphenation<br/>typesetting<BR>hyphenation</P>"),
              "<p>hy|phen|ation<br/>type|set|ting<BR>hy|phen|ation</P>");
}

TEST(Html, PiecesOfAnySizeGiveTheSameOutput) {
    SILLABOR_NEEDS_PINNED_DATA();
    const std::string text =
        "<!DOCTYPE html><html lang=en><head><title>hyphenation</title>"
        "<script>var a = '<p>';</script></head><body><p class='x' title=\"typesetting\">"
        "Hyphenation &amp; typesetting K&auml;se <!-- hyphenation --> "
        "<span lang=de>Silbentrennung</span> \xc3\xa9lite https://x.org/hyphenation "
        "<![CDATA[ typesetting ]]><?pi hyphenation?>democratic &#233;lite</p></body></html>";
    const std::string whole = inPieces(text, {text.size()});
    EXPECT_NE(whole.find("Hy|phen|ation"), std::string::npos);
    EXPECT_NE(whole.find("Sil|ben|tren|nung"), std::string::npos);
    for (std::vector<std::size_t> sizes :
         {std::vector<std::size_t>{1}, {2}, {3, 1}, {5, 7, 1}, {13}})
        EXPECT_EQ(inPieces(text, sizes), whole);
    // And a second run changes nothing.
    const std::string soft = hyphenateHtml(L::English_US, text);
    EXPECT_EQ(hyphenateHtml(L::English_US, soft), soft);
}

TEST(Html, LongMarkupAndDeepNesting) {
    SILLABOR_NEEDS_PINNED_DATA();
    // A comment and an attribute of a megabyte, and a nesting far deeper than
    // the elements kept apart: the language still ends where it should.
    std::string in = "<!--" + std::string(1 << 20, 'x') + "-->hyphenation";
    in += "<p title='" + std::string(1 << 20, 'y') + "'>hyphenation</p>";
    std::string expected = "<!--" + std::string(1 << 20, 'x') + "-->hy|phen|ation";
    expected += "<p title='" + std::string(1 << 20, 'y') + "'>hy|phen|ation</p>";
    for (const std::string_view word : {"Silbentrennung", "Sil|ben|tren|nung"}) {
        std::string& s = word.find('|') == std::string_view::npos ? in : expected;
        for (int i = 0; i < 1000; ++i)
            s += "<div lang=de>";
        s += word;
        for (int i = 0; i < 1000; ++i)
            s += "</div>";
    }
    in += "hyphenation";
    expected += "hy|phen|ation";
    EXPECT_TRUE(html(in) == expected);
    EXPECT_TRUE(inPieces(in, {4093}) == expected);
}

TEST(Html, WritesASoftHyphenAsAReferenceUntilTheDocumentSaysUtf8) {
    SILLABOR_NEEDS_PINNED_DATA();
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"<p>table</p>", "<p>ta&#173;ble</p>"},
        {"<meta charset=\"UTF-8\"><p>table</p>", "<meta charset=\"UTF-8\"><p>ta\u00adble</p>"},
        {"<meta http-equiv=Content-Type content='text/html; charset=utf-8'>table",
         "<meta http-equiv=Content-Type content='text/html; charset=utf-8'>ta\u00adble"},
        {"<?xml version='1.0'?><p>table</p>", "<?xml version='1.0'?><p>ta\u00adble</p>"},
        {"<meta content=x charset=utf-8>table", "<meta content=x charset=utf-8>ta\u00adble"},
        {"<?xml version='1.0' encoding='utf-8'?>table",
         "<?xml version='1.0' encoding='utf-8'?>ta\u00adble"},
        {"\xef\xbb\xbftable", "\xef\xbb\xbfta\u00adble"},
        // Not UTF-8, or said too late for the words before.
        {"<meta charset=iso-8859-1>table", "<meta charset=iso-8859-1>ta&#173;ble"},
        {"<?xml version='1.0' encoding='ISO-8859-1'?>table",
         "<?xml version='1.0' encoding='ISO-8859-1'?>ta&#173;ble"},
        {"table<meta charset=utf-8>table", "ta&#173;ble<meta charset=utf-8>ta\u00adble"},
    };
    for (const auto& [in, expected] : cases) {
        EXPECT_EQ(hyphenateHtml(L::English_US, in), expected) << in;
        EXPECT_EQ(streamInPieces(HtmlHyphenator(L::English_US), in, {1}), expected) << in;
        EXPECT_EQ(hyphenateHtml(L::English_US, expected), expected) << in; // a fixed point
    }
}

TEST(Html, StrictStopsAtTextThatIsNotUtf8) {
    SILLABOR_NEEDS_PINNED_DATA();
    HtmlHyphenator h(L::English_US, {.separator = "|", .strictUtf8 = true});
    std::string out;
    try {
        h.feed("<p title='\xff'>hyphenation \xc0\xaf</p>", out);
        ADD_FAILURE() << "accepted an overlong form";
    } catch (const InvalidUtf8& e) {
        EXPECT_EQ(e.offset(), 25u);
    }
    EXPECT_EQ(out, "<p title='\xff'>hy|phen|ation ");
    // A sequence cut off by markup.
    HtmlHyphenator cut(L::English_US, {.strictUtf8 = true});
    out.clear();
    EXPECT_THROW(cut.feed("table\xc3<b>", out), InvalidUtf8);
    HtmlHyphenator beforeReference(L::English_US, {.strictUtf8 = true});
    EXPECT_THROW(beforeReference.feed("table\xc3&amp;", out), InvalidUtf8);
}

TEST(Html, CopiesTextThatIsNotUtf8) {
    const std::string_view html =
        "<p title='\xff'>hyphenation \xc0\xaf table\xc3<b>table</b>\xe9&amp;table</p>";
    for (std::size_t split = 0; split <= html.size(); ++split) {
        HtmlHyphenator h(L::English_US, {.separator = "|"});
        std::string out;
        h.feed(html.substr(0, split), out);
        h.feed(html.substr(split), out);
        h.finish(out);
        EXPECT_EQ(
            out,
            "<p title='\xff'>hy|phen|ation \xc0\xaf ta|ble\xc3<b>ta|ble</b>\xe9&amp;ta|ble</p>")
            << "split at " << split;
        EXPECT_EQ(h.invalidUtf8().count, 4u); // not the attribute: markup is not read as text
        EXPECT_EQ(h.invalidUtf8().firstOffset, 25u);
    }
}

} // namespace
