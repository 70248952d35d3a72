// The libhyphen-compatible functions, on sillabor's dictionary reader.
#include "hyphen.h"

#include "Text/Sillabor/detail/DictionaryRep.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <vector>

using Text::Sillabor::detail::DicMinima;
using Text::Sillabor::detail::DictionaryRep;
using Text::Sillabor::detail::DicWork;

namespace {

/// What a HyphenDict handle owns. The handle is `levels[0]`; its `states`
/// field points back here.
struct Loaded {
    HyphenDict levels[2]{};
    std::string noHyphen;
    DictionaryRep rep;
};

Loaded* owner(const HyphenDict* dict) {
    return reinterpret_cast<Loaded*>(dict->states);
}

void describe(HyphenDict& out, const Text::Sillabor::detail::DicLevel& level,
              const DictionaryRep& rep) {
    out.lhmin = static_cast<char>(level.minima.left);
    out.rhmin = static_cast<char>(level.minima.right);
    out.clhmin = static_cast<char>(level.minima.compoundLeft);
    out.crhmin = static_cast<char>(level.minima.compoundRight);
    out.num_states = static_cast<int>(level.states());
    std::strncpy(out.cset, rep.encoding.c_str(), MAX_NAME - 1);
    out.utf8 = rep.utf8 ? 1 : 0;
}

HyphenDict* load(const std::string& bytes, const std::string& name) {
    try {
        auto loaded = std::make_unique<Loaded>();
        loaded->rep = DictionaryRep::parse(bytes, name);
        const DictionaryRep& rep = loaded->rep;
        for (const std::string& item : rep.noHyphen) {
            loaded->noHyphen += item;
            loaded->noHyphen.push_back('\0');
        }
        HyphenDict& first = loaded->levels[0];
        describe(first, rep.levels[0], rep);
        first.nohyphen = rep.noHyphen.empty() ? nullptr : loaded->noHyphen.data();
        first.nohyphenl = static_cast<int>(rep.noHyphen.size());
        if (rep.levels.size() > 1) {
            describe(loaded->levels[1], rep.levels[1], rep);
            first.nextlevel = &loaded->levels[1];
        }
        first.states = reinterpret_cast<HyphenState*>(loaded.get());
        loaded->levels[1].states = first.states;
        return &loaded.release()->levels[0];
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return nullptr;
    }
}

bool continuation(char c) {
    return Text::Sillabor::detail::isUtf8Continuation(static_cast<unsigned char>(c));
}

enum class Call { standard, withRules, withMinima };

int hyphenate(HyphenDict* dict, const char* word, int wordSize, char* hyphens, char* hyphword,
              char*** rep, int** pos, int** cut, const DicMinima& minima, Call call) {
    if (!dict || !word || !hyphens || wordSize < 0) return 1;
    const DictionaryRep& d = owner(dict)->rep;
    thread_local DicWork work;
    const std::size_t n = static_cast<std::size_t>(wordSize);
    try {
        hyphenateBytes(d, std::string_view(word, n), minima, work);
    } catch (const std::bad_alloc&) {
        return 1;
    }

    // Breaks beside the forbidden characters: hyphenate2 removes them before
    // writing the hyphenated word; hyphenate3 writes the word first, then
    // marks them with NUL bytes (both read as "no break").
    const bool withRules = !d.rules.empty();
    const bool noHyphen = markNoHyphen(d, std::string_view(word, n), work);
    if (noHyphen && call != Call::withMinima)
        for (std::size_t i = 0; i < n; ++i)
            if (work.noHyphen[i]) {
                work.value[i] = 0;
                if (withRules) work.rule[i] = -1;
            }
    const std::uint8_t* value = work.value.data();
    for (std::size_t i = 0; i < n; ++i)
        hyphens[i] = static_cast<char>('0' + value[i]);
    hyphens[n] = '\0';
    hyphens[n + 1] = '0';

    // UTF-8: the arrays are indexed by character, each taking the value of
    // the character's last byte.
    std::size_t chars = n;
    const bool multibyte = d.utf8 && (work.kinds & DictionaryRep::highByte);
    if (multibyte) {
        chars = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (i + 1 < n && continuation(word[i + 1])) continue;
            hyphens[chars] = hyphens[i];
            if (withRules) work.rule[chars] = work.rule[i];
            if (noHyphen) work.noHyphen[chars] = work.noHyphen[i];
            ++chars;
        }
        hyphens[chars] = '\0';
    }

    bool anyRule = false;
    if (call != Call::standard && rep && pos && cut && withRules) {
        for (std::size_t c = 0; c < chars; ++c) {
            if (work.rule[c] < 0) continue;
            if (!*rep) {
                *rep = static_cast<char**>(std::calloc(n ? n : 1, sizeof(char*)));
                *pos = static_cast<int*>(std::calloc(n ? n : 1, sizeof(int)));
                *cut = static_cast<int*>(std::calloc(n ? n : 1, sizeof(int)));
                if (!*rep || !*pos || !*cut) return 1;
            }
            const auto& rule = d.rules[static_cast<std::size_t>(work.rule[c])];
            (*rep)[c] = strdup(rule.replacement.c_str());
            (*pos)[c] = rule.pos;
            (*cut)[c] = rule.cut;
            anyRule = true;
        }
    }

    // The byte after the character that starts at `byte`.
    auto nextChar = [&](std::size_t byte) {
        ++byte;
        while (multibyte && byte < n && continuation(word[byte]))
            ++byte;
        return byte;
    };
    if (hyphword && !anyRule && !multibyte) {
        // Plain breaks: the word with '=' after each.
        char* out = hyphword;
        for (std::size_t i = 0; i < n; ++i) {
            *out++ = word[i];
            if (value[i] & 1) *out++ = '=';
        }
        *out = '\0';
    } else if (hyphword && !anyRule) {
        char* out = hyphword;
        std::size_t byte = 0;
        for (std::size_t c = 0; c < chars; ++c) {
            do
                *out++ = word[byte++];
            while (multibyte && byte < n && continuation(word[byte]));
            if (hyphens[c] & 1) *out++ = '=';
        }
        *out = '\0';
    } else if (hyphword) {
        // The word with '=' at each break; a replacement takes the place of
        // the characters it covers, counted back over what is already written.
        std::string& out = work.out;
        std::vector<std::size_t>& starts = work.starts;
        out.clear();
        starts.clear();
        std::size_t byte = 0;
        for (std::size_t c = 0; c < chars; ++c) {
            const std::size_t begin = byte;
            byte = nextChar(byte);
            starts.push_back(out.size());
            out.append(word + begin, byte - begin);
            if (!(hyphens[c] & 1)) continue;
            if (anyRule && (*rep)[c]) {
                const std::size_t back = static_cast<std::size_t>((*pos)[c]);
                const std::size_t keep = back <= starts.size() ? starts.size() - back : 0;
                out.resize(keep < starts.size() ? starts[keep] : out.size());
                starts.resize(keep);
                out += (*rep)[c];
                for (int skip = (*cut)[c] - (*pos)[c]; skip > 0 && c + 1 < chars; --skip) {
                    ++c;
                    byte = nextChar(byte);
                }
            } else {
                out.push_back('=');
                starts.push_back(out.size() - 1);
            }
        }
        // Replacements can lengthen the word past the 2 * word_size bytes
        // callers allocate; what does not fit is cut off rather than written
        // past the buffer.
        const std::size_t room = 2 * n;
        const std::size_t length = std::min(out.size(), room);
        std::memcpy(hyphword, out.data(), length);
        hyphword[length] = '\0';
    }
    if (noHyphen && call == Call::withMinima)
        for (std::size_t c = 0; c < chars; ++c)
            if (work.noHyphen[c]) hyphens[c] = '\0';

    return 0;
}

} // namespace

extern "C" {

HyphenDict* hnj_hyphen_load(const char* fn) {
    if (!fn) return nullptr;
    std::ifstream in(fn, std::ios::binary);
    if (!in) return nullptr;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return load(bytes.str(), fn);
}

HyphenDict* hnj_hyphen_load_file(FILE* f) {
    if (!f) return nullptr;
    std::string bytes;
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        bytes.append(buffer, got);
    return load(bytes, "<file>");
}

void hnj_hyphen_free(HyphenDict* dict) {
    if (dict) delete owner(dict);
}

int hnj_hyphen_hyphenate(HyphenDict* dict, const char* word, int word_size, char* hyphens) {
    if (!dict) return 1;
    const DicMinima m = owner(dict)->rep.minima;
    return hyphenate(dict, word, word_size, hyphens, nullptr, nullptr, nullptr, nullptr, m,
                     Call::standard);
}

int hnj_hyphen_hyphenate2(HyphenDict* dict, const char* word, int word_size, char* hyphens,
                          char* hyphenated_word, char*** rep, int** pos, int** cut) {
    if (!dict) return 1;
    const DicMinima m = owner(dict)->rep.minima;
    return hyphenate(dict, word, word_size, hyphens, hyphenated_word, rep, pos, cut, m,
                     Call::withRules);
}

int hnj_hyphen_hyphenate3(HyphenDict* dict, const char* word, int word_size, char* hyphens,
                          char* hyphword, char*** rep, int** pos, int** cut, int lhmin, int rhmin,
                          int clhmin, int crhmin) {
    const DicMinima m{lhmin, rhmin, clhmin, crhmin};
    return hyphenate(dict, word, word_size, hyphens, hyphword, rep, pos, cut, m, Call::withMinima);
}

} // extern "C"
