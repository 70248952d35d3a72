// Hyphenates words with every dictionary in a folder through the real
// libhyphen (loaded with dlopen, its symbols bound to itself), through
// libsillabor_hyphen (linked) and through sillabor's own Dictionary, and
// counts every difference in the outputs: the hyphens array, the hyphenated
// word, the replacements, and the typed breaks.
//
//     libhyphen_differential DICT_FOLDER WORDLIST_FOLDER [MAX_WORDS]
//     libhyphen_differential --random COUNT [SEED]
//
// The words of a dictionary are those of the Debian word list of its
// language, where there is one, and always words made from the file itself:
// its patterns' letters alone and joined, every NOHYPHEN item, the letters of
// every pattern with a replacement, and every character of three or four
// bytes, each between other pieces. With --random, the dictionaries are made
// up: small alphabets, patterns with replacements, compound levels, minima
// and NOHYPHEN lists, each read by libhyphen in a child process (a file that
// crashes it is counted and passed over).
//
// Where libhyphen is wrong and sillabor is not, the comparison is made so
// that the difference is counted apart, and must be nothing else:
// - libhyphen cuts the hyphenated word short where a replacement meets
//   characters of several bytes ("hasz" for "hasz=szu"); ours must begin
//   with what it wrote;
// - libhyphen keeps a carriage return in the last item of a NOHYPHEN line of a
//   file with CRLF line ends, so that item never matches; it is given the
//   file with that line mended, and the calls the mending changes are
//   counted.
// The old hnj_hyphen_hyphenate is compared with the plain breaks of
// libhyphen's hnj_hyphen_hyphenate2, since libhyphen's own reads only the
// first of two levels (for a file of one level, only the hyphens and
// apostrophes); the words where libhyphen's own differs are counted.
//
// Exits 77 (skipped) when libhyphen or the folders are missing, or under a
// sanitizer, whose runtime cannot load a library bound to itself.
#include "RealLibhyphen.hpp"
#include "Replacements.hpp"
#include "hyphen.h"

#include <Text/Sillabor/Dictionary.hpp>
#include <Text/Sillabor/Utf8.hpp>

#include <fcntl.h>
#include <iconv.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using sillabor_test::RealLibhyphen;

namespace {

const RealLibhyphen ours{hnj_hyphen_load, hnj_hyphen_free, hnj_hyphen_hyphenate,
                         hnj_hyphen_hyphenate2, hnj_hyphen_hyphenate3};

// ---- What one call gives ------------------------------------------------------

enum class Call { old, two, three };

struct Outcome {
    int rc = 0;
    std::string hyphens;          // the first characters (bytes for Call::old) + 1 entries
    std::string word;             // the hyphenated word
    std::vector<std::string> rep; // per character: "rep,pos,cut", or "" for none
};

std::size_t charsOf(const std::string& w, bool utf8) {
    if (!utf8) return w.size();
    return static_cast<std::size_t>(
        std::count_if(w.begin(), w.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

Outcome run(const RealLibhyphen& api, HyphenDict* dict, const std::string& word, Call call) {
    const int n = static_cast<int>(word.size());
    std::vector<char> h(static_cast<std::size_t>(n) + 5, 'Z');
    std::vector<char> w(2 * static_cast<std::size_t>(n) + 10, 'Z');
    char** rep = nullptr;
    int *pos = nullptr, *cut = nullptr;
    Outcome o;
    std::size_t size = charsOf(word, dict->utf8);
    if (call == Call::old) {
        o.rc = api.hyphenate(dict, word.c_str(), n, h.data());
        size = word.size();
    } else if (call == Call::two) {
        o.rc = api.hyphenate2(dict, word.c_str(), n, h.data(), w.data(), &rep, &pos, &cut);
    } else {
        o.rc = api.hyphenate3(dict, word.c_str(), n, h.data(), w.data(), &rep, &pos, &cut,
                              dict->lhmin, dict->rhmin, dict->clhmin, dict->crhmin);
    }
    o.hyphens.assign(h.data(), size + 1);
    if (call != Call::old) o.word = w.data();
    for (std::size_t i = 0; i < size && call != Call::old; ++i)
        o.rep.push_back(rep && rep[i] ? std::string(rep[i]) + "," + std::to_string(pos[i]) + "," +
                                            std::to_string(cut[i])
                                      : "");
    sillabor_test::freeReplacements(rep, pos, cut, n);
    return o;
}

std::string visible(const std::string& bytes) {
    std::string s;
    for (char c : bytes)
        s += c ? c : '_';
    return s;
}

// ---- Comparing ----------------------------------------------------------------

struct Counts {
    std::size_t words = 0, differences = 0, shown = 0;
    std::size_t cutShort = 0;   // calls where libhyphen cut the hyphenated word short
    std::size_t mended = 0;     // calls that the mended file changes in libhyphen
    std::size_t oldDiffers = 0; // words where libhyphen's own hnj_hyphen_hyphenate differs
    std::size_t crashed = 0;    // words on which libhyphen crashed
    std::size_t capped = 0;     // calls where libhyphen wrote more than 2 * word_size bytes
    std::size_t unwritten = 0;  // calls where libhyphen copied a part's end and beyond
};

void report(Counts& c, const std::string& dict, const std::string& word, const std::string& what) {
    ++c.differences;
    if (c.shown++ < 8) std::printf("  %s \"%s\": %s\n", dict.c_str(), word.c_str(), what.c_str());
}

std::string differences(const Outcome& theirs, const Outcome& mine, std::size_t wordSize,
                        Counts& counts) {
    std::string what;
    if (theirs.rc != mine.rc)
        what += "returns " + std::to_string(theirs.rc) + " / " + std::to_string(mine.rc) + "; ";
    if (theirs.hyphens != mine.hyphens) {
        // Where a rule makes a part of a compound shorter than the bytes it
        // stands for, libhyphen copies past the part's end: its terminating
        // NUL, and memory it never wrote. Ours has "no break" there.
        bool unwritten = theirs.hyphens.size() == mine.hyphens.size();
        for (std::size_t i = 0; unwritten && i < mine.hyphens.size(); ++i)
            unwritten = theirs.hyphens[i] == mine.hyphens[i] ||
                        (theirs.hyphens[i] == '\0' && mine.hyphens[i] == '0');
        if (unwritten)
            ++counts.unwritten;
        else
            what += "hyphens " + visible(theirs.hyphens) + " / " + visible(mine.hyphens) + "; ";
    }
    if (theirs.word != mine.word) {
        const bool cutShort = theirs.word.size() < mine.word.size() &&
                              mine.word.compare(0, theirs.word.size(), theirs.word) == 0 &&
                              std::any_of(theirs.rep.begin(), theirs.rep.end(),
                                          [](const std::string& r) { return !r.empty(); });
        // Ours stops at the 2 * word_size bytes that callers allocate.
        const bool capped = mine.word.size() == 2 * wordSize &&
                            theirs.word.compare(0, mine.word.size(), mine.word) == 0;
        if (cutShort)
            ++counts.cutShort;
        else if (capped)
            ++counts.capped;
        else
            what += "word " + theirs.word + " / " + mine.word + "; ";
    }
    for (std::size_t i = 0; i < std::max(theirs.rep.size(), mine.rep.size()); ++i) {
        const std::string a = i < theirs.rep.size() ? theirs.rep[i] : "";
        const std::string b = i < mine.rep.size() ? mine.rep[i] : "";
        if (a != b)
            what += "replacement at " + std::to_string(i) + ": " + (a.empty() ? "none" : a) +
                    " / " + (b.empty() ? "none" : b) + "; ";
    }
    return what;
}

/// The typed breaks libhyphen's hnj_hyphen_hyphenate2 describes; `text`
/// decodes the dictionary's bytes.
template <class Decode>
std::vector<Text::Sillabor::Break> expectedBreaks(const Outcome& o, Decode text) {
    std::vector<Text::Sillabor::Break> out;
    const std::size_t chars = o.hyphens.size() - 1;
    for (std::size_t c = 0; c + 1 < chars; ++c) {
        if (!(o.hyphens[c] & 1)) continue;
        Text::Sillabor::Break b;
        b.at = b.from = b.to = c + 1;
        if (!o.rep[c].empty()) {
            const std::string& r = o.rep[c];
            const std::size_t c2 = r.rfind(','), c1 = r.rfind(',', c2 - 1);
            const std::u32string t = text(r.substr(0, c1));
            const auto eq = t.find(U'=');
            const auto pos = static_cast<std::size_t>(std::stoi(r.substr(c1 + 1)));
            const auto cut = static_cast<std::size_t>(std::stoi(r.substr(c2 + 1)));
            if (pos <= c + 1 && c + 1 - pos + cut <= chars) {
                b.from = c + 1 - pos;
                b.to = b.from + cut;
                b.before = t.substr(0, eq);
                if (eq != std::u32string::npos) b.after = t.substr(eq + 1);
            }
        }
        out.push_back(b);
    }
    return out;
}

/// The plain breaks of a hnj_hyphen_hyphenate2 outcome, by byte of `word`,
/// as hnj_hyphen_hyphenate gives them here.
std::string plainBreaksByByte(const Outcome& two, const std::string& word, bool utf8) {
    std::string out(word.size() + 1, '0');
    out[word.size()] = '\0';
    std::size_t c = 0;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const bool last = !utf8 || i + 1 == word.size() || (word[i + 1] & 0xC0) != 0x80;
        if (!last) continue;
        if (c < two.rep.size() && two.rep[c].empty() && two.hyphens[c] != '\0')
            out[i] = two.hyphens[c];
        ++c;
    }
    return out;
}

bool oddAt(const std::string& h, std::size_t i) {
    return i < h.size() && (h[i] & 1) && h[i] != '\0';
}

// ---- Words --------------------------------------------------------------------

/// What a file's lines hold, read roughly: the letters of each pattern, those
/// of the patterns with a replacement, the NOHYPHEN items, and the characters
/// of three or four bytes.
struct FileParts {
    std::vector<std::string> pieces, ruled, noHyphen, wide;
};

FileParts partsOf(const std::string& bytes, bool utf8) {
    FileParts p;
    std::istringstream in(bytes);
    std::string line;
    std::getline(in, line);
    std::set<std::string> wide;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("NOHYPHEN", 0) == 0) {
            std::string items = line.substr(8);
            items.erase(0, items.find_first_not_of(" \t"));
            for (std::size_t start = 0; start <= items.size();) {
                const std::size_t comma = std::min(items.find(',', start), items.size());
                if (comma > start) p.noHyphen.push_back(items.substr(start, comma - start));
                start = comma + 1;
            }
            continue;
        }
        if (line.empty() || line[0] == '%' || line[0] == '#' ||
            std::isupper(static_cast<unsigned char>(line[0])))
            continue;
        std::string letters;
        const std::string word = line.substr(0, line.find_first_of(" \t"));
        for (char c : word.substr(0, word.find('/')))
            if (!(c >= '0' && c <= '9') && c != '.') letters.push_back(c);
        if (letters.empty()) continue;
        p.pieces.push_back(letters);
        if (word.find('/') != std::string::npos) p.ruled.push_back(letters);
        for (std::size_t i = 0; utf8 && i < letters.size(); ++i) {
            const auto b = static_cast<unsigned char>(letters[i]);
            const std::size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 0;
            if (len && i + len <= letters.size()) wide.insert(letters.substr(i, len));
        }
    }
    p.wide.assign(wide.begin(), wide.end());
    return p;
}

/// Words made from a file's own parts, `count` of them at most.
std::vector<std::string> wordsFromFile(const FileParts& p, std::size_t count, unsigned seed) {
    std::vector<std::string> words;
    if (p.pieces.empty()) return words;
    std::mt19937 random(seed);
    auto piece = [&] { return p.pieces[random() % p.pieces.size()]; };
    // Every character, rule and NOHYPHEN item first, each a few ways.
    for (const auto* group : {&p.noHyphen, &p.wide, &p.ruled})
        for (const std::string& x : *group) {
            words.insert(words.end(), {x, x + piece(), piece() + x, piece() + x + piece(),
                                       piece() + piece() + x + piece() + piece()});
            if (group == &p.ruled) words.push_back(x + x);
        }
    for (const char* digits : {"12", "3", "2022"})
        words.insert(words.end(), {digits + piece(), piece() + digits, piece() + digits + piece()});
    for (std::size_t i = 0; i < p.pieces.size() && words.size() < count / 2; ++i)
        words.push_back(p.pieces[i]);
    while (words.size() < count) {
        std::string w;
        const int parts = 2 + static_cast<int>(random() % 2);
        for (int k = 0; k < parts; ++k)
            w += piece();
        words.push_back(w);
    }
    words.resize(std::min(words.size(), count));
    return words;
}

// The Debian word list for a dictionary's language, if there is one.
const std::map<std::string, std::string> wordLists = {
    {"en_US", "american-english"}, {"en_GB", "british-english"},
    {"de_DE", "ngerman"},          {"fr", "french"},
    {"ca_ES", "catalan"},          {"nl_NL", "dutch"},
    {"es_ES", "spanish"},          {"it_IT", "italian"},
    {"pt_PT", "portuguese"},       {"pt_BR", "brazilian"},
    {"pl_PL", "polish"},           {"sv_SE", "swedish"},
    {"nb_NO", "bokmaal"},          {"nn_NO", "nynorsk"},
    {"da_DK", "danish"},           {"bg_BG", "bulgarian"},
    {"uk_UA", "ukrainian"},
};

std::string lowerUtf8(const std::string& word) {
    std::mbstate_t state{};
    std::wstring wide(word.size() + 1, L'\0');
    const char* src = word.c_str();
    const std::size_t n = std::mbsrtowcs(wide.data(), &src, wide.size(), &state);
    if (n == static_cast<std::size_t>(-1)) return word;
    wide.resize(n);
    for (wchar_t& c : wide)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    std::string out(wide.size() * 4 + 1, '\0');
    const wchar_t* wsrc = wide.c_str();
    state = {};
    out.resize(std::wcsrtombs(out.data(), &wsrc, out.size(), &state));
    return out;
}

/// `word` through `cd`, or false when it has no form there.
bool convert(iconv_t cd, const std::string& word, std::string& out) {
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        out = word;
        return true;
    }
    std::string in = word;
    out.assign(word.size() * 4 + 4, '\0');
    char* ip = in.data();
    std::size_t il = in.size();
    char* op = out.data();
    std::size_t ol = out.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1)) return false;
    out.resize(out.size() - ol);
    return true;
}

/// The file as libhyphen is given it: a NOHYPHEN line ended by CRLF loses its
/// carriage return, which libhyphen would keep in the last item. Empty when
/// nothing needs mending.
std::string mended(const std::string& bytes) {
    std::string out = bytes;
    bool changed = false;
    for (std::size_t at = out.find("NOHYPHEN"); at != std::string::npos;
         at = out.find("NOHYPHEN", at + 1)) {
        const std::size_t end = out.find('\n', at);
        if ((at == 0 || out[at - 1] == '\n') && end != std::string::npos && end > 0 &&
            out[end - 1] == '\r') {
            out.erase(end - 1, 1);
            changed = true;
        }
    }
    return changed ? out : std::string();
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// ---- libhyphen's outcomes, from child processes ---------------------------------

/// What libhyphen gives for one word: through hnj_hyphen_hyphenate2 and
/// hnj_hyphen_hyphenate3 on the file as it is given, through
/// hnj_hyphen_hyphenate on the file as it is, and whether mending the file
/// changed any of the first two.
struct TheirWord {
    Outcome two, three, old;
    bool mendedChanges = false;
};

void put(std::string& out, const Outcome& o) {
    out += std::to_string(o.rc) + '\x01' + o.hyphens + '\x01' + o.word + '\x01';
    for (const std::string& r : o.rep)
        out += r + '\x02';
    out += '\x01';
}

struct Reader {
    const std::string& in;
    std::size_t at = 0;
    std::string field() {
        const std::size_t e = in.find('\x01', at);
        std::string f = in.substr(at, e - at);
        at = e + 1;
        return f;
    }
    Outcome outcome() {
        Outcome o;
        o.rc = std::stoi(field());
        o.hyphens = field();
        o.word = field();
        for (std::string reps = field(); !reps.empty();) {
            const std::size_t e = reps.find('\x02');
            o.rep.push_back(reps.substr(0, e));
            reps.erase(0, e + 1);
        }
        return o;
    }
};

/// libhyphen's outcomes for `words` with the file `file` (and, where it is
/// not empty, the mended copy `given`, which the comparisons use). Each
/// runs in a child process: a word on which libhyphen crashes, or that takes
/// it longer than seconds, gets nothing, and a new child goes on after it.
std::vector<std::optional<TheirWord>> theirOutcomes(const RealLibhyphen& ref, const fs::path& file,
                                                    const fs::path& given,
                                                    const std::vector<std::string>& words) {
    std::vector<std::optional<TheirWord>> out;
    while (out.size() < words.size()) {
        int fds[2];
        if (pipe(fds) != 0) std::exit(2);
        const std::size_t from = out.size();
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            // libhyphen's crashes are counted; their messages would only be noise.
            const int null = open("/dev/null", O_WRONLY);
            if (null >= 0) dup2(null, 2);
            const rlimit memory{std::size_t{1} << 30, std::size_t{1} << 30};
            setrlimit(RLIMIT_AS, &memory);
            HyphenDict* original = ref.load(file.c_str());
            HyphenDict* theirs = given.empty() ? original : ref.load(given.c_str());
            if (!original || !theirs) _exit(3);
            std::string record;
            for (std::size_t i = from; i < words.size(); ++i) {
                alarm(2);
                TheirWord t;
                t.two = run(ref, theirs, words[i], Call::two);
                t.three = run(ref, theirs, words[i], Call::three);
                t.old = run(ref, original, words[i], Call::old);
                if (theirs != original) {
                    const Outcome two = run(ref, original, words[i], Call::two);
                    const Outcome three = run(ref, original, words[i], Call::three);
                    t.mendedChanges = two.hyphens != t.two.hyphens || two.word != t.two.word ||
                                      two.rep != t.two.rep || three.hyphens != t.three.hyphens;
                }
                record.clear();
                put(record, t.two);
                put(record, t.three);
                put(record, t.old);
                record += t.mendedChanges ? "1\x03" : "0\x03";
                for (std::size_t at = 0; at < record.size();) {
                    const ssize_t n = write(fds[1], record.data() + at, record.size() - at);
                    if (n <= 0) _exit(1);
                    at += static_cast<std::size_t>(n);
                }
            }
            _exit(0);
        }
        close(fds[1]);
        std::string in;
        char buffer[65536];
        for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) > 0;)
            in.append(buffer, static_cast<std::size_t>(got));
        close(fds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 3) {
            out.resize(words.size()); // libhyphen cannot load the file
            break;
        }
        // The complete records, then nothing for the word it stopped on.
        for (std::size_t end; (end = in.find('\x03')) != std::string::npos; in.erase(0, end + 1)) {
            Reader r{in};
            TheirWord t;
            t.two = r.outcome();
            t.three = r.outcome();
            t.old = r.outcome();
            t.mendedChanges = in[r.at] == '1';
            out.push_back(std::move(t));
        }
        if (!(WIFEXITED(status) && WEXITSTATUS(status) == 0) && out.size() < words.size())
            out.emplace_back();
    }
    return out;
}

fs::path writeTemp(const std::string& bytes, const std::string& tag) {
    const fs::path p = fs::temp_directory_path() /
                       ("sillabor-differential-" + std::to_string(getpid()) + "-" + tag + ".dic");
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
}

// ---- One dictionary -----------------------------------------------------------

/// Compares every call on every word with libhyphen's outcomes.
void compareDictionary(const std::vector<std::optional<TheirWord>>& theirs, HyphenDict* mine,
                       const std::string& bytes, const std::string& name,
                       const std::vector<std::string>& words, Counts& counts) {
    const auto own = Text::Sillabor::parseDictionary(bytes);
    iconv_t back = mine->utf8 ? reinterpret_cast<iconv_t>(-1) : iconv_open("UTF-8", mine->cset);
    auto decode = [&](const std::string& b) {
        std::string utf8;
        convert(back, b, utf8);
        return Text::Sillabor::toUtf32(utf8);
    };
    for (std::size_t k = 0; k < words.size(); ++k) {
        const std::string& w = words[k];
        if (!theirs[k]) {
            ++counts.crashed;
            if (counts.crashed <= 3)
                std::printf("  libhyphen crashed on \"%s\"; ours: %s\n", w.c_str(),
                            run(ours, mine, w, Call::two).word.c_str());
            continue;
        }
        const TheirWord& t = *theirs[k];
        counts.mended += t.mendedChanges;
        std::string what;
        for (const Call call : {Call::two, Call::three}) {
            const std::string d = differences(call == Call::two ? t.two : t.three,
                                              run(ours, mine, w, call), w.size(), counts);
            if (!d.empty()) what += (call == Call::two ? "hyphenate2: " : "hyphenate3: ") + d;
        }
        // The old call: the plain breaks of libhyphen's hyphenate2, by byte.
        const Outcome old = run(ours, mine, w, Call::old);
        const std::string expected = plainBreaksByByte(t.two, w, mine->utf8);
        bool same = true, oldSame = true;
        for (std::size_t i = 0; i < w.size(); ++i) {
            same = same && oddAt(old.hyphens, i) == oddAt(expected, i);
            oldSame = oldSame && oddAt(t.old.hyphens, i) == oddAt(old.hyphens, i);
        }
        if (!same)
            what += "hyphenate: " + visible(old.hyphens) + " / plain " + visible(expected) + "; ";
        counts.oldDiffers += !oldSame;
        std::string utf8;
        if (t.two.rc == 0 && convert(back, w, utf8)) try {
                if (own.breaks(Text::Sillabor::toUtf32(utf8)) != expectedBreaks(t.two, decode))
                    what += "Dictionary::breaks differs; ";
            } catch (const Text::Sillabor::InvalidUtf8&) {
            }
        if (!what.empty()) report(counts, name, w, what);
    }
    if (back != reinterpret_cast<iconv_t>(-1)) iconv_close(back);
    counts.words += words.size();
}

int installed(const RealLibhyphen& ref, const fs::path& dicts, const fs::path& lists,
              std::size_t maxWords) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    // Each distinct file once (the folder holds many links to the same file).
    std::map<std::string, fs::path> files;
    for (const auto& e : fs::directory_iterator(dicts)) {
        const std::string n = e.path().filename().string();
        if (e.path().extension() != ".dic" || n.rfind("hyph_", 0) != 0) continue;
        const fs::path real = fs::canonical(e.path());
        files.emplace(real.string(), real);
    }
    Counts total;
    std::size_t dictionaries = 0, fromLists = 0, failed = 0;
    for (const auto& [key, file] : files) {
        const std::string name = file.filename().string();
        const std::string bytes = readFile(file);
        const std::string fixed = mended(bytes);
        HyphenDict* mine = hnj_hyphen_load(file.c_str());
        if (!mine) {
            std::printf("%s: not loaded\n", name.c_str());
            ++failed;
            continue;
        }
        ++dictionaries;
        std::vector<std::string> words;
        std::string source = "its own patterns";
        const std::string lang = name.substr(5, name.size() - 9);
        if (auto it = wordLists.find(lang);
            it != wordLists.end() && fs::exists(lists / it->second)) {
            iconv_t cd =
                mine->utf8 ? reinterpret_cast<iconv_t>(-1) : iconv_open(mine->cset, "UTF-8");
            std::ifstream in(lists / it->second);
            std::string line, converted;
            while (std::getline(in, line) && words.size() < maxWords)
                if (convert(cd, lowerUtf8(line), converted)) words.push_back(converted);
            if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
            source = it->second + " and its patterns";
            ++fromLists;
        }
        const auto made = wordsFromFile(partsOf(bytes, mine->utf8), maxWords, 12345);
        words.insert(words.end(), made.begin(), made.end());
        const fs::path given = fixed.empty() ? fs::path() : writeTemp(fixed, "mended");
        const auto theirs = theirOutcomes(ref, file, given, words);
        if (!given.empty()) fs::remove(given);
        Counts counts;
        compareDictionary(theirs, mine, bytes, name, words, counts);
        std::printf("%-24s %7zu words from %-34s %zu differences\n", name.c_str(), counts.words,
                    source.c_str(), counts.differences);
        if (counts.crashed) std::printf("  libhyphen crashed on %zu words\n", counts.crashed);
        if (counts.cutShort)
            std::printf("  libhyphen cut the hyphenated word short in %zu calls\n",
                        counts.cutShort);
        if (counts.mended)
            std::printf("  libhyphen keeps the CR of its NOHYPHEN line: %zu words differ for it\n",
                        counts.mended);
        if (counts.oldDiffers)
            std::printf("  libhyphen's own hnj_hyphen_hyphenate differs on %zu words\n",
                        counts.oldDiffers);
        total.words += counts.words;
        total.differences += counts.differences;
        hnj_hyphen_free(mine);
    }
    std::printf("%zu dictionaries (%zu with a Debian word list), %zu words, each through "
                "hnj_hyphen_hyphenate, hyphenate2, hyphenate3 with the file's minima, and "
                "Dictionary::breaks: %zu differences\n",
                dictionaries, fromLists, total.words, total.differences);
    return failed == 0 && total.differences == 0 ? 0 : 1;
}

// ---- Made-up dictionaries -----------------------------------------------------

struct Made {
    std::string text;
    std::vector<std::string> words;
};

/// A small dictionary and words for it: patterns over a few letters (one of
/// two bytes in UTF-8, one a ligature, with digits in the words too), some
/// with replacements, one or two levels, minima, and NOHYPHEN items in the
/// first of two levels; a third of them in an 8-bit set.
Made makeDictionary(std::mt19937& random) {
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const bool utf8 = pick(3) != 0;
    const std::string ae = utf8 ? "ä" : "\xE4";
    const std::vector<std::string> letters = {
        "a", "b", "s", "z", "t", ae, utf8 ? "\xEF\xAC\x83" : "f", "-", "'"};
    auto letter = [&] { return letters[pick(pick(2) ? 5 : letters.size())]; };
    Made m;
    m.text = utf8 ? "UTF-8\n" : "ISO8859-1\n";
    for (const char* key :
         {"LEFTHYPHENMIN", "RIGHTHYPHENMIN", "COMPOUNDLEFTHYPHENMIN", "COMPOUNDRIGHTHYPHENMIN"})
        if (pick(2)) m.text += std::string(key) + " " + std::to_string(pick(4)) + "\n";
    const bool twoLevels = pick(2);
    if (twoLevels && pick(2)) m.text += pick(2) ? "NOHYPHEN -,'\n" : "NOHYPHEN " + ae + "\n";
    auto pattern = [&] {
        std::vector<std::string> ls;
        const std::size_t n = 1 + pick(4);
        for (std::size_t i = 0; i < n; ++i)
            ls.push_back(letter());
        std::string p = pick(4) == 0 ? "." : "";
        std::vector<int> digits(n + 1, 0);
        for (int& d : digits)
            d = pick(3) == 0 ? static_cast<int>(pick(9)) + 1 : 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (digits[i]) p += std::to_string(digits[i]);
            p += ls[i];
        }
        if (digits[n]) p += std::to_string(digits[n]);
        if (pick(5) == 0) p += ".";
        if (pick(4) == 0) {
            const std::size_t start = 1 + pick(n), cut = 1 + pick(n - start + 1);
            std::string repl = pick(2) ? "sz" : "t";
            repl += "=";
            if (pick(2)) repl += pick(2) ? "sz" : ae;
            p += "/" + repl + "," + std::to_string(start) + "," + std::to_string(cut);
        }
        return p;
    };
    const std::size_t first = 1 + pick(8);
    for (std::size_t i = 0; i < first; ++i)
        m.text += pattern() + "\n";
    if (twoLevels) {
        m.text += "NEXTLEVEL\n";
        for (std::size_t i = 0, n = 1 + pick(8); i < n; ++i)
            m.text += pattern() + "\n";
    }
    for (int i = 0; i < 40; ++i) {
        std::string w;
        for (std::size_t k = 0, n = 1 + pick(9); k < n; ++k)
            w += pick(12) == 0 ? std::to_string(pick(10)) : letter();
        m.words.push_back(w);
    }
    return m;
}

int madeUp(const RealLibhyphen& ref, std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    Counts counts;
    std::size_t unread = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Made m = makeDictionary(random);
        const fs::path file = writeTemp(m.text, "made");
        const auto theirs = theirOutcomes(ref, file, fs::path(), m.words);
        HyphenDict* mine = ours.load(file.c_str());
        fs::remove(file);
        if (!theirs[0] && !theirs.back()) ++unread;
        const std::size_t before = counts.differences;
        for (std::size_t k = 0; k < m.words.size(); ++k) {
            if (!theirs[k]) {
                ++counts.crashed;
                continue;
            }
            std::string what;
            for (const Call call : {Call::two, Call::three})
                what += differences(call == Call::two ? theirs[k]->two : theirs[k]->three,
                                    run(ours, mine, m.words[k], call), m.words[k].size(), counts);
            if (!what.empty()) report(counts, "made-up #" + std::to_string(i), m.words[k], what);
        }
        if (counts.differences > before && counts.shown <= 8) std::printf("%s", m.text.c_str());
        counts.words += m.words.size();
        hnj_hyphen_free(mine);
    }
    std::printf("%zu made-up dictionaries, %zu words, each through hyphenate2 and hyphenate3: "
                "%zu differences; libhyphen crashed on %zu words, cut the hyphenated word "
                "short in %zu calls, wrote more than 2 * word_size bytes in %zu and read past a "
                "part in %zu\n",
                count, counts.words, counts.differences, counts.crashed, counts.cutShort,
                counts.capped, counts.unwritten);
    return counts.differences == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s DICT_FOLDER WORDLIST_FOLDER [MAX_WORDS]\n"
                     "       %s --random COUNT [SEED]\n",
                     argv[0], argv[0]);
        return 2;
    }
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    std::printf("skipped: a sanitizer's runtime cannot load libhyphen bound to itself\n");
    return 77;
#endif
    const RealLibhyphen* ref = RealLibhyphen::open();
    if (!ref) {
        std::printf("skipped: libhyphen.so.0 is missing\n");
        return 77;
    }
    if (std::string(argv[1]) == "--random")
        return madeUp(*ref, std::strtoul(argv[2], nullptr, 10),
                      argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 1);
    if (!fs::is_directory(argv[1])) {
        std::printf("skipped: %s is missing\n", argv[1]);
        return 77;
    }
    return installed(*ref, argv[1], argv[2],
                     argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1000000);
}
