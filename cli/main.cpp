// sillabor: hyphenates words from the command line or standard input, or
// inserts soft hyphens into running text.
#include "InPlace.hpp"
#include "Options.hpp"

#include <Text/Sillabor.hpp>
#include <Text/Sillabor/Epub.hpp>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#ifndef SILLABOR_VERSION
#define SILLABOR_VERSION "unknown"
#endif

namespace {

using namespace Text::Sillabor;

// An error to report on one line of standard error, with the exit status.
struct Failure {
    std::string message;
    int status;
};

[[noreturn]] void fail(std::string message, int status = 1) {
    throw Failure{std::move(message), status};
}

// Standard output with a large buffer and a check of every write: a reader
// that has gone ends the program quietly, as it ends every filter, and any
// other failure (a full disk) is reported.
class Output {
public:
    Output() { std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16); }
    void write(std::string_view bytes) {
        if (bytes.empty()) return;
        if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) broken();
    }
    void flush() {
        if (std::fflush(stdout) != 0) broken();
    }

private:
    [[noreturn]] static void broken() {
        if (errno == EPIPE) { // SIGPIPE was ignored where we were started
            std::signal(SIGPIPE, SIG_DFL);
            std::raise(SIGPIPE);
            std::_Exit(128 + SIGPIPE);
        }
        fail(std::string("cannot write to standard output: ") + std::strerror(errno));
    }
};

// "line L, byte B" for a byte offset into `text` (both counted from 1).
std::string position(std::string_view text, std::size_t offset) {
    const std::string_view before = text.substr(0, std::min(offset, text.size()));
    const auto line = std::count(before.begin(), before.end(), '\n') + 1;
    const std::size_t lineStart =
        before.rfind('\n') == std::string_view::npos ? 0 : before.rfind('\n') + 1;
    return "line " + std::to_string(line) + ", byte " + std::to_string(offset - lineStart + 1);
}

std::string languageList() {
    std::string out;
    for (Language l : enumFrom(Language::Afrikaans)) {
        const Hyphenator& h = languageHyphenator(l);
        char line[96];
        std::snprintf(line, sizeof line, "%-24s %-16s %td %td\n", show(l).c_str(),
                      std::string(languageAffix(l)).c_str(), h.hyphenatorLeftMin,
                      h.hyphenatorRightMin);
        out += line;
    }
    return out;
}

Language parseLanguage(std::string_view name) {
    if (auto l = languageByName(name)) return *l;
    std::string names;
    for (Language l : enumFrom(Language::Afrikaans)) {
        if (!names.empty()) names += ", ";
        names += show(l);
    }
    fail("unknown language '" + std::string(name) + "'; the languages are " + names +
             " (their file codes and tags work too; see sillabor --list)",
         2);
}

std::ptrdiff_t parseNumber(std::string_view option, std::string_view text) {
    std::ptrdiff_t n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc{} || end != text.data() + text.size() || text.empty())
        fail(std::string(option) + ": not a whole number: '" + std::string(text) + "'", 2);
    return n;
}

// The decoded text of a UTF-8 file; a failure names the file and the place.
std::u32string readTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail("cannot read " + path + ": " + std::strerror(errno));
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    if (in.bad()) fail("cannot read " + path + ": " + std::strerror(errno));
    try {
        return toUtf32(bytes);
    } catch (const InvalidUtf8& e) {
        fail(path + ", " + position(bytes, e.offset()) + ": invalid UTF-8: " + e.problem());
    }
}

struct Options {
    Language language = Language::English_US;
    std::optional<std::string> separator;
    bool text = false, html = false, identity = false, list = false, help = false, version = false,
         noCaps = false, strict = false, epub = false, inPlace = false, removeSoftHyphens = false;
    std::optional<std::string> output;
    std::optional<std::ptrdiff_t> jobs;
    std::optional<std::ptrdiff_t> minLength;
    std::optional<std::string> skipClass;
    std::optional<std::string> patterns, exceptions, dictionary;
    std::optional<std::ptrdiff_t> left, right;
    std::vector<std::string> words;
    std::string firstOption; // the first option that is not --help, --version or --list
};

// Sets the field of `o` that the option `key` (its long name) stands for;
// `name` is the option as written, `v` its value.
void applyOption(Options& o, std::string_view key, std::string_view name, const std::string& v) {
    if (key == "language")
        o.language = parseLanguage(v);
    else if (key == "separator")
        o.separator = v;
    else if (key == "text")
        o.text = true;
    else if (key == "html")
        o.html = true;
    else if (key == "epub")
        o.epub = true;
    else if (key == "output")
        o.output = v;
    else if (key == "in-place")
        o.inPlace = true;
    else if (key == "jobs")
        o.jobs = parseNumber(name, v);
    else if (key == "remove-soft-hyphens")
        o.removeSoftHyphens = true;
    else if (key == "min-length")
        o.minLength = parseNumber(name, v);
    else if (key == "no-caps")
        o.noCaps = true;
    else if (key == "strict")
        o.strict = true;
    else if (key == "skip-class")
        o.skipClass = v;
    else if (key == "dic")
        o.dictionary = v;
    else if (key == "patterns")
        o.patterns = v;
    else if (key == "exceptions")
        o.exceptions = v;
    else if (key == "identity")
        o.identity = true;
    else if (key == "left")
        o.left = parseNumber(name, v);
    else if (key == "right")
        o.right = parseNumber(name, v);
    else if (key == "list")
        o.list = true;
    else if (key == "help")
        o.help = true;
    else if (key == "version")
        o.version = true;
    else
        fail("--" + std::string(key) + " is in the option table but has no action", 70);
}

// Stops with status 2 when options that exclude each other, or that need
// another, are given.
void checkCombinations(const Options& o) {
    // --help, --version and --list each answer on their own.
    if (o.help + o.version + o.list > 1) fail("--help, --version and --list exclude each other", 2);
    if (o.help || o.version || o.list) {
        const std::string query = o.help ? "--help" : o.version ? "--version" : "--list";
        if (!o.firstOption.empty()) fail(query + " takes no other option, not " + o.firstOption, 2);
        if (!o.words.empty()) fail(query + " takes no WORD", 2);
    }
    if (o.text + o.html + o.epub > 1) fail("--text, --html and --epub exclude each other", 2);
    if (o.text && !o.words.empty()) fail("--text reads standard input and takes no WORD", 2);
    if (o.html && !o.words.empty() && !o.inPlace)
        fail("--html reads standard input and takes no WORD (with --in-place, PATHs)", 2);
    if ((o.minLength || o.noCaps || o.strict || o.removeSoftHyphens) && !o.text && !o.html &&
        !o.epub)
        fail(std::string(o.noCaps              ? "--no-caps"
                         : o.strict            ? "--strict"
                         : o.removeSoftHyphens ? "--remove-soft-hyphens"
                                               : "--min-length") +
                 " goes with --text, --html or --epub",
             2);
    if (o.skipClass && !o.html && !o.epub) fail("--skip-class goes with --html or --epub", 2);
    if (o.inPlace && !o.html && !o.epub) fail("--in-place goes with --html or --epub", 2);
    if (o.inPlace && o.words.empty()) fail("--in-place needs at least one PATH", 2);
    if (o.jobs && !o.inPlace) fail("--jobs goes with --in-place", 2);
    if (o.jobs && *o.jobs < 1)
        fail("--jobs: not a count of at least 1: '" + std::to_string(*o.jobs) + "'", 2);
    if (o.output && !o.epub) fail("-o goes with --epub", 2);
    if (o.epub) {
        if (o.output && o.inPlace) fail("-o and --in-place exclude each other", 2);
        if (!o.output && !o.inPlace) fail("--epub needs -o FILE or --in-place", 2);
        if (o.output && o.words.size() != 1)
            fail("--epub with -o takes one BOOK, not " + std::to_string(o.words.size()), 2);
        if (o.separator) fail("--epub writes soft hyphens and takes no -s", 2);
        if (o.dictionary || o.patterns || o.exceptions || o.identity || o.left || o.right)
            fail("--epub hyphenates with the languages the book names; it excludes --dic, "
                 "--patterns, --exceptions, --identity, --left and --right",
                 2);
    }
    if (o.dictionary && (o.patterns || o.exceptions || o.identity || o.left || o.right))
        fail("--dic takes its patterns and minima from the file; it excludes --patterns, "
             "--exceptions, --identity, --left and --right",
             2);
    if (o.minLength && *o.minLength < 0)
        fail("--min-length: not a count: '" + std::to_string(*o.minLength) + "'", 2);
}

Options parseOptions(int argc, char** argv) {
    Options o;
    bool wordsOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (wordsOnly || arg.empty() || arg[0] != '-' || arg == "-") {
            o.words.emplace_back(arg);
            continue;
        }
        // --option=value and -xvalue forms, as well as a separate value.
        std::string_view name = arg, inlineValue;
        bool hasInline = false;
        if (arg.starts_with("--")) {
            if (const auto eq = arg.find('='); eq != std::string_view::npos) {
                name = arg.substr(0, eq);
                inlineValue = arg.substr(eq + 1);
                hasInline = true;
            }
        } else if (arg.size() > 2) {
            name = arg.substr(0, 2);
            inlineValue = arg.substr(2);
            hasInline = true;
        }
        if (name == "--") {
            wordsOnly = true;
            continue;
        }
        const sillabor_cli::Option* option = sillabor_cli::findOption(name);
        if (!option) fail("unknown option '" + std::string(arg) + "' (see sillabor --help)", 2);
        std::string v;
        if (!option->argument.empty()) {
            if (hasInline)
                v = inlineValue;
            else if (i + 1 >= argc)
                fail(std::string(name) + " needs a value", 2);
            else
                v = argv[++i];
        } else if (hasInline) {
            fail(std::string(name) + " takes no value", 2);
        }
        const std::string_view key = option->longName;
        const bool query = key == "list" || key == "help" || key == "version";
        if (!query && o.firstOption.empty()) o.firstOption = name;
        applyOption(o, key, name, v);
    }
    checkCombinations(o);
    return o;
}

// The chosen language's hyphenator with the fields the options replace.
Hyphenator makeHyphenator(const Options& o) {
    Hyphenator h = languageHyphenator(o.language);
    if (o.identity) h.hyphenatorChars = [](char32_t c) { return c; };
    if (o.patterns) h.hyphenatorPatterns = parsePatterns(readTextFile(*o.patterns));
    if (o.exceptions) h.hyphenatorExceptions = parseExceptions(readTextFile(*o.exceptions));
    if (o.left) h.hyphenatorLeftMin = *o.left;
    if (o.right) h.hyphenatorRightMin = *o.right;
    return h;
}

// The pieces with the separator between them, but not after a piece that
// ends in a hard hyphen: that hyphen is already the break.
std::string joined(const std::vector<std::string>& pieces, std::string_view separator) {
    std::string out;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i != 0 && !out.ends_with('-') && !out.ends_with("\u2010")) out += separator;
        out += pieces[i];
    }
    return out;
}

// A word's pieces: from the dictionary when there is one (looked up lowered
// by the language's character map, cut as written), else from the hyphenator.
std::vector<std::string> piecesOf(const Hyphenator& h, const Dictionary* d, std::string_view word) {
    if (!d) return hyphenate(h, word);
    const std::u32string wide = toUtf32(word);
    std::vector<std::string> pieces;
    for (const std::u32string& piece : applyBreaks(wide, d->breaks(wide, h.hyphenatorChars)))
        pieces.push_back(toUtf8(piece));
    return pieces;
}

void hyphenateArguments(const Options& o, const Hyphenator& h, const Dictionary* d, Output& out) {
    const std::string separator = o.separator.value_or("-");
    for (std::size_t i = 0; i < o.words.size(); ++i) {
        try {
            out.write(joined(piecesOf(h, d, o.words[i]), separator) + "\n");
        } catch (const InvalidUtf8& e) {
            fail("word " + std::to_string(i + 1) + ", byte " + std::to_string(e.offset() + 1) +
                 ": invalid UTF-8: " + e.problem());
        }
    }
}

// Standard input in pieces, keeping count of lines for error messages.
class Input {
public:
    std::string_view next() {
        // Account for the piece that is done.
        lines_ += static_cast<std::uint64_t>(std::count(piece_.begin(), piece_.end(), '\n'));
        if (const auto last = piece_.rfind('\n'); last != std::string_view::npos)
            lineStart_ = offset_ + last + 1;
        offset_ += piece_.size();
        const std::size_t n = std::fread(buffer_.data(), 1, buffer_.size(), stdin);
        if (n == 0 && std::ferror(stdin))
            fail(std::string("cannot read standard input: ") + std::strerror(errno));
        piece_ = std::string_view(buffer_.data(), n);
        return piece_;
    }

    // "line L, byte B" of an offset counted from the start of the input, in
    // the current piece or at its end.
    std::string where(std::uint64_t offset) const {
        const std::string_view before =
            piece_.substr(0, static_cast<std::size_t>(offset - offset_));
        const auto newlines =
            static_cast<std::uint64_t>(std::count(before.begin(), before.end(), '\n'));
        const std::uint64_t column =
            newlines > 0 ? before.size() - before.rfind('\n') : offset - lineStart_ + 1;
        return "line " + std::to_string(lines_ + newlines + 1) + ", byte " + std::to_string(column);
    }

private:
    std::vector<char> buffer_ = std::vector<char>(1 << 16);
    std::string_view piece_;
    std::uint64_t offset_ = 0;    // of the current piece
    std::uint64_t lines_ = 0;     // line feeds before the current piece
    std::uint64_t lineStart_ = 0; // offset where the line of the current piece's start begins
};

TextOptions textOptions(const Options& o) {
    TextOptions t;
    if (o.separator) t.separator = *o.separator;
    if (o.minLength) t.minLength = static_cast<std::size_t>(*o.minLength);
    t.capitals = !o.noCaps;
    if (o.skipClass) t.skipClass = *o.skipClass;
    t.strictUtf8 = o.strict;
    t.removeSoftHyphens = o.removeSoftHyphens;
    return t;
}

// Standard input through a streaming hyphenator (TextHyphenator or
// HtmlHyphenator) to standard output.
template <class Streamer>
void stream(Streamer& streamer, Output& out) {
    Input in;
    std::string buffer;
    std::string firstInvalid; // where the first sequence that is not UTF-8 was
    try {
        for (std::string_view piece = in.next(); !piece.empty(); piece = in.next()) {
            buffer.clear();
            streamer.feed(piece, buffer);
            out.write(buffer);
            if (firstInvalid.empty() && streamer.invalidUtf8().count > 0)
                firstInvalid = in.where(streamer.invalidUtf8().firstOffset);
        }
        buffer.clear();
        streamer.finish(buffer);
        out.write(buffer);
    } catch (const InvalidUtf8& e) {
        out.write(buffer); // everything before the bad byte
        out.flush();
        fail("standard input, " + in.where(e.offset()) + ": invalid UTF-8: " + e.problem());
    }
    const Utf8Problems invalid = streamer.invalidUtf8();
    if (invalid.count == 0) return;
    out.flush();
    if (firstInvalid.empty()) firstInvalid = in.where(invalid.firstOffset);
    std::fprintf(stderr,
                 "sillabor: warning: standard input: %ju sequence%s that %s not UTF-8 copied as "
                 "%s; the first at byte offset %ju (%s)\n",
                 static_cast<std::uintmax_t>(invalid.count), invalid.count == 1 ? "" : "s",
                 invalid.count == 1 ? "is" : "are", invalid.count == 1 ? "it was" : "they were",
                 static_cast<std::uintmax_t>(invalid.firstOffset), firstInvalid.c_str());
}

void hyphenateText(const Options& o, const Hyphenator& h, const Dictionary* d, Output& out) {
    TextHyphenator text = d ? TextHyphenator(*d, o.language, textOptions(o))
                            : TextHyphenator(h, WordCharacters::of(o.language), textOptions(o));
    stream(text, out);
}

void hyphenateHtml(const Options& o, const Hyphenator& h, const Dictionary* d, Output& out) {
    // The document's lang attributes choose the language of their text; the
    // chosen language is what text outside them is taken to be.
    HtmlHyphenator html =
        d ? HtmlHyphenator(*d, o.language, textOptions(o))
          : HtmlHyphenator(h, WordCharacters::of(o.language), o.language, textOptions(o));
    stream(html, out);
}

unsigned jobsOf(const Options& o) {
    if (o.jobs) return static_cast<unsigned>(*o.jobs);
    return std::max(1u, std::thread::hardware_concurrency());
}

// --html --in-place: each file through its own HtmlHyphenator, replaced if
// it changed.
int hyphenateHtmlFiles(const Options& o, const Hyphenator& h, const Dictionary* d) {
    const TextOptions options = textOptions(o);
    const WordCharacters letters = WordCharacters::of(o.language);
    sillabor_cli::InPlaceRun run;
    run.paths = o.words;
    run.extensions = {".html", ".htm", ".xhtml"};
    run.jobs = jobsOf(o);
    run.process = [&](const std::filesystem::path& path) {
        const std::string before = sillabor_cli::readFile(path);
        HtmlHyphenator html = d ? HtmlHyphenator(*d, o.language, options)
                                : HtmlHyphenator(h, letters, o.language, options);
        std::string after;
        after.reserve(before.size() + before.size() / 8);
        try {
            html.feed(before, after);
            html.finish(after);
        } catch (const InvalidUtf8& e) {
            throw std::runtime_error(position(before, e.offset()) +
                                     ": invalid UTF-8: " + e.problem());
        }
        if (html.invalidUtf8().count > 0)
            std::fprintf(stderr,
                         "sillabor: warning: %s: %ju sequence%s that %s not UTF-8 copied as "
                         "%s; the first at %s\n",
                         path.c_str(), static_cast<std::uintmax_t>(html.invalidUtf8().count),
                         html.invalidUtf8().count == 1 ? "" : "s",
                         html.invalidUtf8().count == 1 ? "is" : "are",
                         html.invalidUtf8().count == 1 ? "it was" : "they were",
                         position(before, html.invalidUtf8().firstOffset).c_str());
        if (after == before) return sillabor_cli::Outcome::Unchanged;
        sillabor_cli::replaceFile(path, after);
        return sillabor_cli::Outcome::Changed;
    };
    return sillabor_cli::runInPlace(run);
}

EpubOptions epubOptions(const Options& o) {
    EpubOptions e;
    e.text = textOptions(o);
    e.language = o.language;
    return e;
}

// --epub: one book to -o, or books in place.
int hyphenateBooks(const Options& o) {
    const EpubOptions options = epubOptions(o);
    if (o.output) {
        hyphenateEpub(o.words.front(), *o.output, options);
        return 0;
    }
    sillabor_cli::InPlaceRun run;
    run.paths = o.words;
    run.extensions = {".epub"};
    run.jobs = jobsOf(o);
    run.process = [&](const std::filesystem::path& path) {
        const EpubReport report = hyphenateEpub(path, path, options);
        return report.changed > 0 ? sillabor_cli::Outcome::Changed
                                  : sillabor_cli::Outcome::Unchanged;
    };
    return sillabor_cli::runInPlace(run);
}

void hyphenateLines(const Options& o, const Hyphenator& h, const Dictionary* d, Output& out) {
    const std::string separator = o.separator.value_or("-");
    Input in;
    std::string line;
    std::uint64_t number = 0;
    auto finishLine = [&] {
        ++number;
        const bool crlf = !line.empty() && line.back() == '\r';
        if (crlf) line.pop_back();
        try {
            out.write(joined(piecesOf(h, d, line), separator) + (crlf ? "\r\n" : "\n"));
        } catch (const InvalidUtf8& e) {
            out.flush();
            fail("standard input, line " + std::to_string(number) + ", byte " +
                 std::to_string(e.offset() + 1) + ": invalid UTF-8: " + e.problem());
        }
        line.clear();
    };
    for (std::string_view piece = in.next(); !piece.empty(); piece = in.next()) {
        for (std::size_t start = 0; start < piece.size();) {
            const std::size_t end = piece.find('\n', start);
            if (end == std::string_view::npos) {
                line.append(piece.substr(start));
                break;
            }
            line.append(piece.substr(start, end - start));
            finishLine();
            start = end + 1;
        }
    }
    if (!line.empty()) finishLine();
}

} // namespace

int main(int argc, char** argv) {
    Output out;
    int status = 0;
    try {
        const Options o = parseOptions(argc, argv);
        if (o.help) {
            out.write(sillabor_cli::usageText());
        } else if (o.version) {
            out.write("sillabor " SILLABOR_VERSION "\n");
        } else if (o.list) {
            out.write(languageList());
        } else if (o.epub) {
            status = hyphenateBooks(o);
        } else {
            const Hyphenator h = makeHyphenator(o);
            std::optional<Dictionary> dictionary;
            if (o.dictionary) dictionary = readDictionary(*o.dictionary);
            const Dictionary* d = dictionary ? &*dictionary : nullptr;
            if (o.inPlace)
                status = hyphenateHtmlFiles(o, h, d);
            else if (!o.words.empty())
                hyphenateArguments(o, h, d, out);
            else if (o.text)
                hyphenateText(o, h, d, out);
            else if (o.html)
                hyphenateHtml(o, h, d, out);
            else
                hyphenateLines(o, h, d, out);
        }
        out.flush();
        return status;
    } catch (const Failure& f) {
        std::fflush(stdout);
        std::fprintf(stderr, "sillabor: %s\n", f.message.c_str());
        return f.status;
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "sillabor: %s\n", e.what());
        return 1;
    }
}
