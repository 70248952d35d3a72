// Hyphenates word lists with every dictionary in a folder through the real
// libhyphen (loaded with dlopen, its symbols bound to itself), through
// libsillabor_hyphen (linked) and through sillabor's own Dictionary, and
// counts every difference in the outputs: the hyphens array, the hyphenated
// word, the replacements, and the typed breaks. One fault of libhyphen's is
// counted apart: where a replacement meets characters of several bytes, it
// can cut the hyphenated word short ("hasz" for "hasz=szu"); ours is whole,
// and must begin with what libhyphen wrote.
//
//     libhyphen_differential DICT_FOLDER WORDLIST_FOLDER [MAX_WORDS [KNOWN]]
//
// KNOWN lists dictionaries whose differences are known and not yet mended,
// one "file count" per line: such a file may differ in up to that many
// calls; every other file must not differ at all. Exits 77 (skipped) when
// libhyphen or the folders are missing, or under a sanitizer, whose runtime
// cannot load a library bound to itself.
#include "hyphen.h"

#include <Text/Sillabor/Dictionary.hpp>
#include <Text/Sillabor/Utf8.hpp>

#include <dlfcn.h>
#include <iconv.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Reference {
    void* handle = nullptr;
    decltype(&hnj_hyphen_load) load = nullptr;
    decltype(&hnj_hyphen_free) free = nullptr;
    decltype(&hnj_hyphen_hyphenate2) hyphenate2 = nullptr;
    decltype(&hnj_hyphen_hyphenate3) hyphenate3 = nullptr;

    bool open() {
        handle = dlopen("libhyphen.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND);
        if (!handle) return false;
        load = reinterpret_cast<decltype(load)>(dlsym(handle, "hnj_hyphen_load"));
        free = reinterpret_cast<decltype(free)>(dlsym(handle, "hnj_hyphen_free"));
        hyphenate2 = reinterpret_cast<decltype(hyphenate2)>(dlsym(handle, "hnj_hyphen_hyphenate2"));
        hyphenate3 = reinterpret_cast<decltype(hyphenate3)>(dlsym(handle, "hnj_hyphen_hyphenate3"));
        return load && free && hyphenate2 && hyphenate3;
    }
};

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

/// `word` in the dictionary's character set, or nothing when it has no form there.
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

/// Words made of the dictionary's own pattern letters: each pattern's letters,
/// and random joins of two or three of them.
std::vector<std::string> wordsFromPatterns(const fs::path& file, std::size_t count) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    std::getline(in, line);
    std::vector<std::string> pieces;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '%' || line[0] == '#' ||
            std::isupper(static_cast<unsigned char>(line[0])))
            continue;
        std::string letters;
        for (char c : line.substr(0, line.find('/')))
            if (!(c >= '0' && c <= '9') && c != '.' && c != ' ' && c != '\t') letters.push_back(c);
        if (!letters.empty()) pieces.push_back(letters);
    }
    std::vector<std::string> words;
    if (pieces.empty()) return words;
    std::mt19937 random(12345);
    for (std::size_t i = 0; i < pieces.size() && words.size() < count / 2; ++i)
        words.push_back(pieces[i]);
    while (words.size() < count) {
        std::string w;
        const int parts = 2 + static_cast<int>(random() % 2);
        for (int k = 0; k < parts; ++k)
            w += pieces[random() % pieces.size()];
        words.push_back(w);
    }
    return words;
}

struct Counts {
    std::size_t words = 0, differences = 0, shown = 0;
    std::size_t cutShort = 0; // calls where libhyphen cut the hyphenated word short
};

void report(Counts& c, const std::string& dict, const char* call, const std::string& word,
            const std::string& what) {
    ++c.differences;
    if (c.shown++ < 8)
        std::printf("  %s %s \"%s\": %s\n", dict.c_str(), call, word.c_str(), what.c_str());
}

std::string visible(const char* bytes, std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += bytes[i] ? bytes[i] : '_';
    return s;
}

/// The typed breaks libhyphen's outputs describe, for a word of `chars`
/// characters; `text` decodes the dictionary's bytes.
template <class Decode>
std::vector<Text::Sillabor::Break> expectedBreaks(const char* hyphens, char** rep, int* pos,
                                                  int* cut, std::size_t chars, Decode text) {
    std::vector<Text::Sillabor::Break> out;
    for (std::size_t c = 0; c < chars; ++c) {
        if (!(hyphens[c] & 1)) continue;
        Text::Sillabor::Break b;
        b.at = b.from = b.to = c + 1;
        if (rep && rep[c]) {
            const std::u32string r = text(rep[c]);
            const auto eq = r.find(U'=');
            b.from = c + 1 - static_cast<std::size_t>(pos[c]);
            b.to = b.from + static_cast<std::size_t>(cut[c]);
            b.before = r.substr(0, eq);
            if (eq != std::u32string::npos) b.after = r.substr(eq + 1);
        }
        out.push_back(b);
    }
    return out;
}

void compareOne(const Reference& ref, HyphenDict* theirs, HyphenDict* ours, const std::string& name,
                const std::string& word, Counts& counts, const Text::Sillabor::Dictionary& own,
                const std::u32string& wide, iconv_t toUtf8) {
    const int n = static_cast<int>(word.size());
    std::size_t chars = word.size();
    if (ours->utf8)
        chars = std::count_if(word.begin(), word.end(), [](char c) { return (c & 0xC0) != 0x80; });
    for (int call = 0; call < 2; ++call) {
        std::vector<char> h1(n + 5, 'Z'), h2(n + 5, 'Z'), w1(2 * n + 10, 'Z'), w2(2 * n + 10, 'Z');
        char** rep1 = nullptr;
        int *pos1 = nullptr, *cut1 = nullptr;
        char** rep2 = nullptr;
        int *pos2 = nullptr, *cut2 = nullptr;
        const char* label = call == 0 ? "hyphenate2" : "hyphenate3";
        if (call == 0) {
            ref.hyphenate2(theirs, word.data(), n, h1.data(), w1.data(), &rep1, &pos1, &cut1);
            hnj_hyphen_hyphenate2(ours, word.data(), n, h2.data(), w2.data(), &rep2, &pos2, &cut2);
        } else {
            const int l = theirs->lhmin, r = theirs->rhmin, cl = theirs->clhmin,
                      cr = theirs->crhmin;
            ref.hyphenate3(theirs, word.data(), n, h1.data(), w1.data(), &rep1, &pos1, &cut1, l, r,
                           cl, cr);
            hnj_hyphen_hyphenate3(ours, word.data(), n, h2.data(), w2.data(), &rep2, &pos2, &cut2,
                                  l, r, cl, cr);
        }
        std::string what;
        if (std::memcmp(h1.data(), h2.data(), chars + 1) != 0)
            what += "hyphens " + visible(h1.data(), chars + 1) + " / " +
                    visible(h2.data(), chars + 1) + "; ";
        if (std::strcmp(w1.data(), w2.data()) != 0) {
            const std::size_t theirLength = std::strlen(w1.data());
            const bool cutShort = rep1 && theirLength < std::strlen(w2.data()) &&
                                  std::strncmp(w1.data(), w2.data(), theirLength) == 0;
            if (cutShort)
                ++counts.cutShort;
            else
                what += std::string("word ") + w1.data() + " / " + w2.data() + "; ";
        }
        for (std::size_t i = 0; i < chars; ++i) {
            const char* a = rep1 ? rep1[i] : nullptr;
            const char* b = rep2 ? rep2[i] : nullptr;
            if ((a == nullptr) != (b == nullptr) ||
                (a && (std::strcmp(a, b) != 0 || pos1[i] != pos2[i] || cut1[i] != cut2[i])))
                what += "replacement at " + std::to_string(i) + ": " + (a ? a : "none") + "," +
                        (a ? std::to_string(pos1[i]) + "," + std::to_string(cut1[i]) : "") + " / " +
                        (b ? b : "none") + "," +
                        (b ? std::to_string(pos2[i]) + "," + std::to_string(cut2[i]) : "") + "; ";
        }
        if (call == 0) {
            auto decode = [&](const char* bytes) {
                std::string utf8;
                if (toUtf8 == reinterpret_cast<iconv_t>(-1)) {
                    utf8 = bytes;
                } else {
                    convert(toUtf8, bytes, utf8);
                }
                return Text::Sillabor::toUtf32(utf8);
            };
            if (own.breaks(wide) != expectedBreaks(h1.data(), rep1, pos1, cut1, chars, decode))
                what += "Dictionary::breaks differs; ";
        }
        if (!what.empty()) report(counts, name, label, word, what);
        for (char** r : {rep1, rep2})
            if (r) {
                for (int i = 0; i < n; ++i)
                    std::free(r[i]);
                std::free(r);
            }
        std::free(pos1), std::free(cut1), std::free(pos2), std::free(cut2);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DICT_FOLDER WORDLIST_FOLDER [MAX_WORDS]\n", argv[0]);
        return 2;
    }
    const fs::path dicts = argv[1], lists = argv[2];
    const std::size_t maxWords = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1000000;
    std::map<std::string, std::size_t> known;
    if (argc > 4) {
        std::ifstream in(argv[4]);
        std::string name;
        std::size_t count;
        while (in >> name) {
            if (name[0] == '#') {
                std::getline(in, name);
                continue;
            }
            if (in >> count) known[name] = count;
        }
    }
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    std::printf("skipped: a sanitizer's runtime cannot load libhyphen bound to itself\n");
    return 77;
#endif
    Reference ref;
    if (!ref.open() || !fs::is_directory(dicts)) {
        std::printf("skipped: libhyphen.so.0 or %s is missing\n", dicts.c_str());
        return 77;
    }
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
    std::size_t dictionaries = 0, fromLists = 0, unexpected = 0;
    for (const auto& [key, file] : files) {
        HyphenDict* theirs = ref.load(file.c_str());
        HyphenDict* ours = hnj_hyphen_load(file.c_str());
        const std::string name = file.filename().string();
        if (!theirs || !ours) {
            std::printf("%s: loaded by libhyphen %s, by us %s\n", name.c_str(),
                        theirs ? "yes" : "no", ours ? "yes" : "no");
            ++total.differences;
            ++unexpected;
            continue;
        }
        ++dictionaries;
        const std::string lang = name.substr(5, name.size() - 9);
        std::vector<std::string> words;
        std::string source;
        iconv_t cd = ours->utf8 ? reinterpret_cast<iconv_t>(-1) : iconv_open(ours->cset, "UTF-8");
        if (auto it = wordLists.find(lang);
            it != wordLists.end() && fs::exists(lists / it->second)) {
            std::ifstream in(lists / it->second);
            std::string line, converted;
            while (std::getline(in, line) && words.size() < maxWords)
                if (convert(cd, lowerUtf8(line), converted)) words.push_back(converted);
            source = it->second;
            ++fromLists;
        } else {
            words = wordsFromPatterns(file, std::min<std::size_t>(maxWords, 20000));
            source = "its patterns";
        }
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
        iconv_t back = ours->utf8 ? reinterpret_cast<iconv_t>(-1) : iconv_open("UTF-8", ours->cset);
        const Text::Sillabor::Dictionary own = Text::Sillabor::readDictionary(file);
        Counts counts;
        for (const std::string& w : words) {
            std::string utf8;
            if (!convert(back, w, utf8)) continue;
            std::u32string wide;
            try {
                wide = Text::Sillabor::toUtf32(utf8);
            } catch (const std::exception&) {
                continue; // bytes that are no text in the file's character set
            }
            compareOne(ref, theirs, ours, name, w, counts, own, wide, back);
        }
        if (back != reinterpret_cast<iconv_t>(-1)) iconv_close(back);
        counts.words = words.size();
        std::printf("%-24s %8zu words from %-18s %zu differences\n", name.c_str(), counts.words,
                    source.c_str(), counts.differences);
        if (counts.cutShort)
            std::printf("  %s: libhyphen cut the hyphenated word short in %zu calls\n",
                        name.c_str(), counts.cutShort);
        const auto allowed = known.find(name);
        if (counts.differences > (allowed == known.end() ? 0 : allowed->second)) {
            std::printf("  %s: more differences than the %zu known\n", name.c_str(),
                        allowed == known.end() ? std::size_t{0} : allowed->second);
            ++unexpected;
        }
        total.words += counts.words;
        total.differences += counts.differences;
        ref.free(theirs);
        hnj_hyphen_free(ours);
    }
    std::printf("%zu dictionaries (%zu with a Debian word list), %zu words, each through "
                "hyphenate2, hyphenate3 "
                "with the file's minima, and Dictionary::breaks: %zu differences\n",
                dictionaries, fromLists, total.words, total.differences);
    return unexpected == 0 ? 0 : 1;
}
