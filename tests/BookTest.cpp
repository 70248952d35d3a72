// Reading what an EPUB says about itself, and a small book hyphenated
// through streams: the container, the package, references, encryption.
#include "PinnedData.hpp"

#include "Text/Sillabor/Epub.hpp"
#include "detail/book/Package.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using namespace Text::Sillabor;
using namespace Text::Sillabor::detail;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(Book, HrefsResolveAgainstTheirDocument) {
    const struct {
        std::string_view from, href, resolved;
    } cases[] = {
        {"OEBPS/content.opf", "text/ch1.xhtml", "OEBPS/text/ch1.xhtml"},
        {"OEBPS/content.opf", "text/ch%201.xhtml#part", "OEBPS/text/ch 1.xhtml"},
        {"OEBPS/content.opf", "../ch1.xhtml", "ch1.xhtml"},
        {"OEBPS/content.opf", "./a/./b/../c.xhtml", "OEBPS/a/c.xhtml"},
        {"content.opf", "ch1.xhtml", "ch1.xhtml"},
        {"content.opf", "../../outside.xhtml", ""},        // above the root
        {"content.opf", "/etc/passwd", ""},                // absolute
        {"content.opf", "http://example.com/x.xhtml", ""}, // with a scheme
        {"content.opf", "ch%zz.xhtml", "ch%zz.xhtml"},     // not an escape
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolveHref(c.from, c.href), c.resolved) << c.from << " + " << c.href;
}

TEST(Book, ContainerNamesThePackage) {
    EXPECT_EQ(packagePath(R"(<?xml version="1.0"?>
<container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container">
  <rootfiles>
    <rootfile full-path="other.pdf" media-type="application/pdf"/>
    <rootfile full-path="OPS/book.opf" media-type="application/oebps-package+xml"/>
  </rootfiles>
</container>)"),
              "OPS/book.opf");
    EXPECT_EQ(packagePath("<container><rootfiles/></container>"), "");
}

TEST(Book, SpineGivesTheXhtmlChaptersInOrder) {
    const Package p = readPackage(R"(<package xmlns="http://www.idpf.org/2007/opf">
  <metadata xmlns:dc="http://purl.org/dc/elements/1.1/">
    <dc:language>
      de-DE </dc:language><dc:language>en</dc:language>
  </metadata>
  <manifest>
    <item id="nav" href="nav.xhtml" media-type="application/xhtml+xml" properties="nav scripted"/>
    <item id="c2" href="text/c2.xhtml" media-type="application/xhtml+xml"/>
    <item id="c1" href="text/c&amp;1.xhtml" media-type="application/xhtml+xml"/>
    <item id="pic" href="pic.svg" media-type="image/svg+xml"/>
    <item id="css" href="style.css" media-type="text/css"/>
  </manifest>
  <spine toc="ncx">
    <itemref idref="nav"/><itemref idref="c1"/><itemref idref="pic"/>
    <itemref idref="c2" linear="no"/><itemref idref="c1"/><itemref idref="gone"/>
  </spine>
</package>)",
                                  "OPS/book.opf");
    EXPECT_EQ(p.language, "de-DE");
    EXPECT_THAT(p.contentDocuments, ElementsAre("OPS/text/c&1.xhtml", "OPS/text/c2.xhtml"));
    EXPECT_THAT(p.unknownIdrefs, ElementsAre("gone"));
}

TEST(Book, OnlyFontObfuscationIsNotEncryption) {
    const std::string fonts = R"(<encryption xmlns:enc="http://www.w3.org/2001/04/xmlenc#">
  <enc:EncryptedData><enc:EncryptionMethod Algorithm="http://www.idpf.org/2008/embedding"/>
  </enc:EncryptedData>
  <enc:EncryptedData><enc:EncryptionMethod Algorithm="http://ns.adobe.com/pdf/enc#RC"/>
  </enc:EncryptedData></encryption>)";
    EXPECT_THAT(encryptionOtherThanFonts(fonts), ElementsAre());
    const std::string aes = R"(<encryption xmlns:enc="http://www.w3.org/2001/04/xmlenc#">
  <enc:EncryptedData><enc:EncryptionMethod
      Algorithm='http://www.w3.org/2001/04/xmlenc#aes128-cbc'/></enc:EncryptedData>
  <enc:EncryptedData><enc:EncryptionMethod/></enc:EncryptedData></encryption>)";
    EXPECT_THAT(encryptionOtherThanFonts(aes),
                ElementsAre("http://www.w3.org/2001/04/xmlenc#aes128-cbc", "(no algorithm named)"));
}

// A book made with libzip: mimetype stored first, then the given entries.
std::string makeBook(const std::vector<std::pair<std::string, std::string>>& entries) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("sillabor-book-" + std::to_string(::getpid()));
    int error = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    EXPECT_NE(z, nullptr);
    // libzip reads the data when it writes the archive: it must outlive zip_close.
    static const std::string mimetype = "application/epub+zip";
    auto add = [&](const std::string& name, const std::string& data, bool store) {
        zip_source_t* s = zip_source_buffer(z, data.data(), data.size(), 0);
        const zip_int64_t i = zip_file_add(z, name.c_str(), s, 0);
        if (store) zip_set_file_compression(z, static_cast<zip_uint64_t>(i), ZIP_CM_STORE, 0);
    };
    add("mimetype", mimetype, true);
    for (const auto& [name, data] : entries)
        add(name, data, false);
    EXPECT_EQ(zip_close(z), 0);
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::filesystem::remove(path);
    return bytes.str();
}

std::string entry(const std::string& book, const std::string& name) {
    zip_error_t e;
    zip_error_init(&e);
    zip_source_t* s = zip_source_buffer_create(book.data(), book.size(), 0, &e);
    zip_t* z = zip_open_from_source(s, ZIP_RDONLY, &e);
    std::string out;
    if (zip_file_t* f = zip_fopen(z, name.c_str(), 0)) {
        char buffer[4096];
        for (zip_int64_t n; (n = zip_fread(f, buffer, sizeof buffer)) > 0;)
            out.append(buffer, static_cast<std::size_t>(n));
        zip_fclose(f);
    }
    zip_close(z);
    return out;
}

const std::string container = R"(<container><rootfiles>
<rootfile full-path="book.opf" media-type="application/oebps-package+xml"/></rootfiles></container>)";

std::string package(std::string_view language) {
    return R"(<package><metadata><dc:language>)" + std::string(language) +
           R"(</dc:language></metadata><manifest>
<item id="a" href="a.xhtml" media-type="application/xhtml+xml"/>
<item id="n" href="nav.xhtml" media-type="application/xhtml+xml" properties="nav"/>
</manifest><spine><itemref idref="n"/><itemref idref="a"/></spine></package>)";
}

const std::string chapter =
    "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>hyphenation</title></head>"
    "<body><p>hyphenation <sup>hyphenation</sup> <abbr>hyphenation</abbr></p>"
    "<p xml:lang=\"de\">Silbentrennung</p><p>&#173;&shy;hy&#xAD;phenation</p></body></html>";

TEST(Book, StreamsInAndOut) {
    SILLABOR_NEEDS_PINNED_DATA();
    const std::string book = makeBook({{"META-INF/container.xml", container},
                                       {"book.opf", package("en-US")},
                                       {"nav.xhtml", chapter},
                                       {"a.xhtml", chapter}});
    std::istringstream in(book);
    std::ostringstream out;
    const EpubReport r = hyphenateEpub(in, out);
    EXPECT_EQ(r.documents, 1u);
    EXPECT_EQ(r.changed, 1u);
    EXPECT_EQ(r.packageLanguage, Language::English_US);
    EXPECT_EQ(entry(out.str(), "nav.xhtml"), chapter);
    EXPECT_EQ(entry(out.str(), "a.xhtml"),
              "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>hyphenation</title>"
              "</head><body><p>hy\u00adphen\u00adation <sup>hyphenation</sup> "
              "<abbr>hyphenation</abbr></p><p xml:lang=\"de\">Sil\u00adben\u00adtren\u00adnung</p>"
              "<p>&#173;&shy;hy&#xAD;phenation</p></body></html>");

    // Taken out again: the references go too, and the book is as it was
    // but for them.
    EpubOptions remove;
    remove.text.removeSoftHyphens = true;
    std::istringstream hyphenated(out.str());
    std::ostringstream removed;
    hyphenateEpub(hyphenated, removed, remove);
    EXPECT_EQ(entry(removed.str(), "a.xhtml"),
              "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>hyphenation</title>"
              "</head><body><p>hyphenation <sup>hyphenation</sup> <abbr>hyphenation</abbr></p>"
              "<p xml:lang=\"de\">Silbentrennung</p><p>hyphenation</p></body></html>");
}

TEST(Book, PackageLanguageThenTheOption) {
    SILLABOR_NEEDS_PINNED_DATA();
    const std::string page = "<html><body><p>Zeichensetzung</p></body></html>";
    for (const auto& [language, option, expected] :
         std::vector<std::tuple<std::string, Language, std::string>>{
             {"de", Language::English_US, ">Zei\u00adchen\u00adset\u00adzung<"},
             {"xx-unknown", Language::German_1996, ">Zei\u00adchen\u00adset\u00adzung<"},
             {"xx-unknown", Language::English_US, ">Ze\u00adichenset\u00adzung<"}}) {
        std::istringstream in(makeBook({{"META-INF/container.xml", container},
                                        {"book.opf", package(language)},
                                        {"a.xhtml", page}}));
        std::ostringstream out;
        EpubOptions o;
        o.language = option;
        hyphenateEpub(in, out, o);
        EXPECT_THAT(entry(out.str(), "a.xhtml"), HasSubstr(expected)) << language;
    }
}

TEST(Book, BadBooksAreRefusedWithTheirReason) {
    const auto refused = [](const std::string& bytes) {
        std::istringstream in(bytes);
        std::ostringstream out;
        try {
            hyphenateEpub(in, out);
        } catch (const EpubError& e) {
            EXPECT_TRUE(out.str().empty());
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_THAT(refused(""), HasSubstr("not an EPUB (not a ZIP archive)"));
    EXPECT_THAT(refused(makeBook({{"a.xhtml", chapter}})),
                HasSubstr("not an EPUB (no META-INF/container.xml)"));
    EXPECT_THAT(refused(makeBook({{"META-INF/container.xml", container}})),
                HasSubstr("the package document book.opf that META-INF/container.xml names is "
                          "missing"));
    EXPECT_THAT(
        refused(makeBook({{"META-INF/container.xml", container}, {"book.opf", package("en")}})),
        HasSubstr("the book read from a stream: book.opf names the chapter a.xhtml, which "
                  "the book does not hold"));
}

} // namespace
