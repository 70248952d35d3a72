// The WebAssembly face of the library, for the JavaScript package: plain C
// functions over the module's memory. A word crosses the boundary as UTF-16
// code units that JavaScript writes in place, and text as UTF-8 in pieces,
// so that no object is made per call. The language data is provided by
// JavaScript, a language's files at a time, before the language is used.
//
// Functions that can fail return null or -1, and sb_error() says why. The
// module is single-threaded, as JavaScript is. This file's external
// interface is the sb_* functions.
#include <Text/Sillabor.hpp>

#include "detail/data/EmbeddedFiles.hpp"
#include "detail/data/ProvidedFiles.hpp"
#include "detail/engine/Breaks.hpp"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

using namespace Text::Sillabor;

namespace {

std::string lastError;

template <class F>
auto guarded(F&& f, decltype(f()) failed) noexcept {
    try {
        return f();
    } catch (const std::exception& e) {
        lastError = e.what();
    } catch (...) {
        lastError = "unknown error";
    }
    return failed;
}

std::string_view bytes(const char* data, std::size_t size) {
    return {data, size};
}

// Calls f with each line of `text` (split at line feeds; no empty last line).
template <class F>
void forEachLineOf(std::string_view text, F&& f) {
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        f(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
}

// The text of packed patterns (see js/tools/languages.mjs): a line for each
// "*" of the trie, its letters with the scores of its record put back.
std::string unpackPatterns(std::string_view trie, std::string_view scores) {
    std::string out;
    std::vector<std::string_view> letters; // the path from the root, a character each
    for (std::size_t i = 0; i < trie.size();) {
        const char c = trie[i];
        if (c == ')') {
            if (letters.empty()) throw std::invalid_argument("packed patterns close the root");
            letters.pop_back();
            ++i;
        } else if (c == '*') {
            const std::size_t end = std::min(scores.find('\n'), scores.size());
            const std::string_view record = scores.substr(0, end);
            scores.remove_prefix(std::min(end + 1, scores.size()));
            std::size_t next = 0; // the next score of the record
            for (std::size_t gap = 0; gap <= letters.size(); ++gap) {
                if (next + 1 < record.size() &&
                    static_cast<std::size_t>(record[next] - 'A') == gap) {
                    out += record[next + 1];
                    next += 2;
                }
                if (gap < letters.size()) out += letters[gap];
            }
            if (next != record.size()) throw std::invalid_argument("packed scores out of order");
            out += '\n';
            ++i;
        } else {
            const unsigned char lead = static_cast<unsigned char>(c);
            const std::size_t size = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            letters.push_back(trie.substr(i, size));
            i += size;
        }
    }
    return out;
}

// A hyphenator and the characters its words are made of, with the language
// it stands for where it is a built-in one.
struct Hyphenation {
    Hyphenator hyphenator;
    WordCharacters letters;
    std::optional<Language> language;
};

// The words of `patterns` are made of the characters its patterns use.
std::u32string patternLetters(std::u32string_view patterns) {
    std::u32string letters;
    for (char32_t c : patterns)
        if (!(c >= U'0' && c <= U'9') && c != U'.' && c != U'\n' && c != U'\r' && c != U' ' &&
            letters.find(c) == std::u32string::npos)
            letters += c;
    return letters;
}

// A word whose UTF-16 code units include surrogate pairs: its characters,
// and the UTF-16 offset at which each starts (and one for its end).
struct Word {
    std::u32string chars;
    std::vector<std::uint32_t> starts;

    void read(const char32_t* units, std::size_t size) {
        chars.resize(size);
        starts.resize(size + 1);
        std::size_t n = 0;
        for (std::size_t i = 0; i < size; ++i) {
            starts[n] = static_cast<std::uint32_t>(i);
            char32_t c = units[i];
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < size && units[i + 1] >= 0xDC00 &&
                units[i + 1] < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
                ++i;
            }
            chars[n++] = c; // a lone surrogate stays, and matches no pattern
        }
        starts[n] = static_cast<std::uint32_t>(size);
        chars.resize(n);
    }
};

// Scratch space for words, keeping the last hyphenator's tables.
detail::Workspace& workspace() {
    static detail::Workspace ws{.cache = std::make_unique<detail::TableCache>()};
    return ws;
}

Word& word() {
    static Word w;
    return w;
}

// A stream of running text or HTML and the output of its last call.
struct Stream {
    std::variant<TextHyphenator, HtmlHyphenator> hyphenator;
    std::string out;

    HyphenatingStream& base() {
        return std::visit([](auto& h) -> HyphenatingStream& { return h; }, hyphenator);
    }
};

TextOptions options(const char* separator, std::size_t separatorSize, std::size_t minLength,
                    int capitals, const char* skipClass, std::size_t skipClassSize) {
    TextOptions o;
    o.separator = std::string(separator, separatorSize);
    o.minLength = minLength;
    o.capitals = capitals != 0;
    o.skipClass = std::string(skipClass, skipClassSize);
    return o;
}

// The language's exceptions with `extra` (an entry a line) put first: an
// entry of `extra` replaces the language's entry for the same word.
Exceptions withExceptions(Language language, std::string_view extra) {
    std::set<std::string, std::less<>> words;
    std::string text;
    forEachLineOf(extra, [&](std::string_view entry) {
        std::string word;
        for (char c : entry)
            if (c != '-') word += c;
        words.insert(std::move(word));
        text.append(entry).append("\n");
    });
    const std::string name = "hyph-" + std::string(languageAffix(language)) + ".hyp.txt.gz";
    const std::optional<std::string_view> own = detail::findEmbeddedFile(name);
    if (!own) throw std::runtime_error("Could not find " + name);
    forEachLineOf(*own, [&](std::string_view entry) {
        std::string word;
        for (char c : entry)
            if (c != '-') word += c;
        if (!words.contains(word)) text.append(entry).append("\n");
    });
    return parseExceptions(toUtf32(text));
}

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void* sb_alloc(std::size_t size) {
    return std::malloc(size);
}
EMSCRIPTEN_KEEPALIVE void sb_free(void* p) {
    std::free(p);
}
EMSCRIPTEN_KEEPALIVE const char* sb_error() {
    return lastError.c_str();
}

// Gives the module the files of the language whose code is `code`, from the
// decompressed bundle that js/tools/languages.mjs writes: the character
// file, the exception file and the packed patterns, separated by NULs.
EMSCRIPTEN_KEEPALIVE int sb_provide_language(const char* code, std::size_t codeSize,
                                             const char* bundle, std::size_t bundleSize) {
    return guarded(
        [&] {
            std::vector<std::string_view> parts;
            std::string_view rest(bundle, bundleSize);
            for (std::size_t nul; (nul = rest.find('\0')) != std::string_view::npos;) {
                parts.push_back(rest.substr(0, nul));
                rest.remove_prefix(nul + 1);
            }
            parts.push_back(rest);
            const std::string name = "hyph-" + std::string(code, codeSize);
            if (parts.size() != 4)
                throw std::invalid_argument("the files of " + name + " are not a language bundle");
            detail::provideDataFile(name + ".chr.txt.gz", std::string(parts[0]));
            detail::provideDataFile(name + ".hyp.txt.gz", std::string(parts[1]));
            detail::provideDataFile(name + ".pat.txt.gz", unpackPatterns(parts[2], parts[3]));
            return 0;
        },
        -1);
}

// The hyphenation of built-in language `index`, whose files must have been
// provided, with other minima where `left` or `right` is not negative, and
// with the exceptions `extra` (an entry a line) before the language's own.
EMSCRIPTEN_KEEPALIVE Hyphenation* sb_language(int index, int left, int right, const char* extra,
                                              std::size_t extraSize) {
    return guarded(
        [&] {
            const Language language = toEnum(index);
            auto h = std::make_unique<Hyphenation>(
                Hyphenation{languageHyphenator(language), WordCharacters::of(language), language});
            if (left >= 0) h->hyphenator.hyphenatorLeftMin = left;
            if (right >= 0) h->hyphenator.hyphenatorRightMin = right;
            if (extraSize > 0)
                h->hyphenator.hyphenatorExceptions =
                    withExceptions(language, bytes(extra, extraSize));
            return h.release();
        },
        static_cast<Hyphenation*>(nullptr));
}

// The language a tag or name stands for, as languageByName reads it, or -1.
EMSCRIPTEN_KEEPALIVE int sb_language_by_name(const char* name, std::size_t size) {
    return guarded(
        [&] {
            const std::optional<Language> l = languageByName(bytes(name, size));
            return l ? fromEnum(*l) : -1;
        },
        -1);
}

// A hyphenation from pattern and exception texts (UTF-8) and minima; its
// words are made of the characters the patterns use.
EMSCRIPTEN_KEEPALIVE Hyphenation* sb_patterns(const char* patterns, std::size_t patternsSize,
                                              const char* exceptions, std::size_t exceptionsSize,
                                              int left, int right) {
    return guarded(
        [&] {
            const std::u32string p = toUtf32(bytes(patterns, patternsSize));
            const std::u32string e = toUtf32(bytes(exceptions, exceptionsSize));
            return new Hyphenation{
                Hyphenator{CharacterMap{}, parsePatterns(p), parseExceptions(e), left, right},
                WordCharacters(patternLetters(p)), std::nullopt};
        },
        static_cast<Hyphenation*>(nullptr));
}

EMSCRIPTEN_KEEPALIVE void sb_hyphenation_free(Hyphenation* h) {
    delete h;
}

// The breaks of the UTF-16 word at `units` (a code unit in each 32 bits),
// as offsets in code units (a piece ends before each), written to `out`
// (room for `size` of them); their number, or -1. Hard hyphens cut the word
// as the word interfaces cut it. A word without surrogates is its own
// characters, and is read where it lies.
EMSCRIPTEN_KEEPALIVE int sb_breaks(const Hyphenation* h, const char32_t* units, std::size_t size,
                                   std::uint32_t* out) {
    return guarded(
        [&] {
            int n = 0;
            const std::u32string_view chars(units, size);
            if (std::none_of(chars.begin(), chars.end(),
                             [](char32_t c) { return c >= 0xD800 && c < 0xE000; })) {
                detail::forEachWordBreak(h->hyphenator, chars, workspace(), [&](std::size_t at) {
                    out[n++] = static_cast<std::uint32_t>(at + 1);
                });
                return n;
            }
            Word& w = word();
            w.read(units, size);
            detail::forEachWordBreak(h->hyphenator, w.chars, workspace(),
                                     [&](std::size_t at) { out[n++] = w.starts[at + 1]; });
            return n;
        },
        -1);
}

// A stream that hyphenates running text (`html` 0) or HTML (1) with `h`.
EMSCRIPTEN_KEEPALIVE Stream* sb_stream(const Hyphenation* h, int html, const char* separator,
                                       std::size_t separatorSize, std::size_t minLength,
                                       int capitals, const char* skipClass,
                                       std::size_t skipClassSize) {
    return guarded(
        [&] {
            const TextOptions o =
                options(separator, separatorSize, minLength, capitals, skipClass, skipClassSize);
            if (html)
                return new Stream{HtmlHyphenator(h->hyphenator, h->letters, h->language, o), {}};
            return new Stream{TextHyphenator(h->hyphenator, h->letters, o), {}};
        },
        static_cast<Stream*>(nullptr));
}

// Feeds UTF-8 bytes (`finish` 0) or ends the stream (1); the output is then
// at sb_stream_output, sb_stream_output_size bytes long. 0, or -1.
EMSCRIPTEN_KEEPALIVE int sb_stream_feed(Stream* s, const char* data, std::size_t size, int finish) {
    return guarded(
        [&] {
            s->out.clear();
            if (finish)
                s->base().finish(s->out);
            else
                s->base().feed(bytes(data, size), s->out);
            return 0;
        },
        -1);
}

EMSCRIPTEN_KEEPALIVE const char* sb_stream_output(const Stream* s) {
    return s->out.data();
}
EMSCRIPTEN_KEEPALIVE std::size_t sb_stream_output_size(const Stream* s) {
    return s->out.size();
}
EMSCRIPTEN_KEEPALIVE void sb_stream_free(Stream* s) {
    delete s;
}
}
