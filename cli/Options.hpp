// The options of the sillabor tool, in one table: the parser takes its
// names and which of them take a value from it, and the help text and the
// manual page (sillabor(1)) are written from it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace sillabor_cli {

struct Option {
    char shortName;            // 'l' for -l, or 0
    std::string_view longName; // "language" for --language
    std::string_view argument; // "NAME", or empty for an option without a value
    std::string_view help;     // one paragraph; words in "quotes" are literal
};

inline constexpr Option options[] = {
    {'l', "language", "NAME",
     "the language (default English_US); NAME is an enumerator (German_1996), a file code "
     "(de-1996) or a tag (de, en-GB, de-CH-1901), in any case"},
    {'s', "separator", "TEXT",
     "what to put between pieces (default \"-\"; with --text or --html, the soft hyphen "
     "U+00AD)"},
    {0, "text", "",
     "copy running text from standard input to standard output, with the separator at every "
     "break of every word; all else passes through unchanged"},
    {0, "html", "",
     "the same for HTML or XHTML: only the text of the document is hyphenated, in the language "
     "its lang attributes name (this language where none does); markup, script, style, pre, "
     "code and the like pass through unchanged"},
    {0, "epub", "",
     "hyphenate EPUB books: the chapters of the spine, as --html hyphenates XHTML, in the "
     "language their xml:lang or lang attributes name, else the book's dc:language, else this "
     "language; also left alone: abbr, acronym, sub, sup, button, option, label, input and "
     "head; the navigation, the package, style sheets and fonts are not touched; needs -o or "
     "--in-place"},
    {'o', "output", "FILE", "with --epub and one book, write the hyphenated book to FILE"},
    {0, "in-place", "",
     "with --html or --epub, hyphenate each PATH given instead of standard input, in place: a "
     "file, or a folder whose *.html, *.htm and *.xhtml files (*.epub with --epub) are taken; "
     "each file is replaced at once or not at all, a file that fails is named and left as it "
     "was, and a summary line ends the run"},
    {'j', "jobs", "N", "with --in-place, work on N files at once (default: the number of cores)"},
    {0, "remove-soft-hyphens", "",
     "with --text, --html or --epub, take the soft hyphens out of the text that would be "
     "hyphenated (U+00AD, and in HTML its references) instead of putting them in"},
    {0, "min-length", "N", "with --text or --html, leave words of fewer than N characters alone"},
    {0, "no-caps", "", "with --text or --html, leave words in capitals alone"},
    {0, "strict", "",
     "with --text or --html, stop at the first byte that is not UTF-8 (status 1); without it, "
     "such bytes are copied as they are, and one warning says how many sequences there were "
     "and where the first was"},
    {0, "skip-class", "NAME",
     "with --html, leave elements of class NAME alone (default "
     "nohyphenate)"},
    {0, "dic", "FILE",
     "hyphenate with FILE, a hyph_*.dic dictionary such as those in /usr/share/hyphen; breaks "
     "that change the word are written as the line would be broken (Hungarian "
     "\"asz-szony-nyal\"), and left out with --text and --html; -l still says which "
     "characters make words and how capitals are lowered"},
    {0, "patterns", "FILE", "use the patterns of FILE (UTF-8, one per line)"},
    {0, "exceptions", "FILE", "use the exceptions of FILE (UTF-8, one per line)"},
    {0, "identity", "", "use characters as they are, not the language's character map"},
    {0, "left", "N", "least characters before the first break"},
    {0, "right", "N", "least characters after the last break"},
    {0, "list", "", "list the languages, with file codes and minima"},
    {'h', "help", "", "show this help"},
    {0, "version", "", "show the version"},
};

inline constexpr std::string_view synopsis =
    "sillabor [options] [WORD...]\n"
    "       sillabor --html --in-place [options] PATH...\n"
    "       sillabor --epub [options] (BOOK -o FILE | --in-place PATH...)";
inline constexpr std::string_view description =
    "Hyphenates each WORD, or each line of standard input when no WORD is given, and prints one "
    "result per line: the pieces joined by the separator.";
inline constexpr std::string_view exitStatus =
    "0 on success, 1 for bad input or an unreadable file (with --in-place: if any file "
    "failed), 2 for a bad command line.";

/// The option that `name` ("-l", "--language") names, or null.
inline const Option* findOption(std::string_view name) {
    for (const Option& o : options) {
        if (name.size() == 2 && name[0] == '-' && o.shortName != 0 && name[1] == o.shortName)
            return &o;
        if (name.size() > 2 && name.substr(0, 2) == "--" && name.substr(2) == o.longName) return &o;
    }
    return nullptr;
}

/// `text` wrapped at `width` columns, each line after `indent` spaces but
/// the first, which starts where the caller has left it.
inline std::string wrapped(std::string_view text, std::size_t firstColumn, std::size_t indent,
                           std::size_t width = 78) {
    std::string out;
    std::size_t column = firstColumn;
    bool lineStart = true;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view{} : text.substr(space + 1);
        if (!lineStart && column + 1 + word.size() > width) {
            out += '\n';
            out.append(indent, ' ');
            column = indent;
            lineStart = true;
        }
        if (!lineStart) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        lineStart = false;
    }
    return out;
}

/// What --help prints.
inline std::string usageText() {
    constexpr std::size_t helpColumn = 25;
    std::string out =
        "usage: " + std::string(synopsis) + "\n\n" + wrapped(description, 0, 0) + "\n\n";
    for (const Option& o : options) {
        std::string left = "      ";
        if (o.shortName) (left = "  -").append(1, o.shortName).append(", ");
        left += "--" + std::string(o.longName);
        if (!o.argument.empty()) left += " " + std::string(o.argument);
        if (left.size() + 2 > helpColumn) {
            out += left + "\n" + std::string(helpColumn, ' ');
        } else {
            left.resize(helpColumn, ' ');
            out += left;
        }
        out += wrapped(o.help, helpColumn, helpColumn) + "\n";
    }
    out += "\n" + wrapped("Exit status: " + std::string(exitStatus), 0, 0) + "\n";
    return out;
}

/// Text for roff: backslashes doubled, hyphens as minus signs, and no line
/// starting with a control character.
inline std::string roff(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

/// The manual page, sillabor(1), in roff.
inline std::string manPage(std::string_view version) {
    std::string out = ".TH SILLABOR 1 \"\" \"sillabor " + std::string(version) +
                      "\" \"User Commands\"\n"
                      ".SH NAME\n"
                      "sillabor \\- hyphenate words, running text and HTML\n"
                      ".SH SYNOPSIS\n"
                      ".B sillabor\n"
                      "[\\fIoptions\\fR] [\\fIWORD\\fR...]\n"
                      ".SH DESCRIPTION\n" +
                      roff(description) +
                      "\n"
                      ".PP\n" +
                      roff("It knows the hyph-utf8 patterns of 73 language variants; --dic reads "
                           "dictionaries in the hyph_*.dic format.") +
                      "\n.SH OPTIONS\n";
    for (const Option& o : options) {
        out += ".TP\n";
        if (o.shortName) out.append("\\fB\\-").append(1, o.shortName).append("\\fR, ");
        // Appended piece by piece: "literal" + string trips a false warning
        // of GCC 12 (-Wrestrict) at -O3.
        out.append("\\fB\\-\\-").append(roff(o.longName)).append("\\fR");
        if (!o.argument.empty()) out.append(" \\fI").append(roff(o.argument)).append("\\fR");
        out.append("\n").append(roff(o.help)).append("\n");
    }
    out.append(".SH EXIT STATUS\n").append(roff(exitStatus));
    out += "\n"
           ".SH EXAMPLES\n"
           ".nf\n"
           "sillabor Typesetting hyphenation\n"
           "sillabor \\-l de\\-1996 Silbentrennung\n"
           "sillabor \\-\\-html \\-l fr < page.html > hyphenated.html\n"
           "sillabor \\-\\-dic /usr/share/hyphen/hyph_hu_HU.dic \\-s = asszonnyal\n"
           ".fi\n";
    return out;
}

} // namespace sillabor_cli
