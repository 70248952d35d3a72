// The libhyphen-compatible functions of hyphen.h, on sillabor's reader of
// `.dic` files: loading fills the HyphenDict fields that programs read, and
// each hyphenation call fills the caller's arrays and buffers exactly as the
// programs that use these files expect them filled.
//
// This file's external interface is the hnj_ functions of hyphen.h.
#include "hyphen.h"

#include "detail/dictionary/DictionaryRep.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

using Text::Sillabor::detail::DicMinima;
using Text::Sillabor::detail::DictionaryRep;
using Text::Sillabor::detail::DicWork;
using Text::Sillabor::detail::isUtf8Continuation;

namespace {

/// What a HyphenDict handle owns. The handle is `levels[0]`; its `states`
/// field points back here.
struct Loaded {
    HyphenDict levels[2]{};
    std::string noHyphen[2]; // each level's items, each ending in a NUL
    DictionaryRep rep;
};

Loaded* owner(const HyphenDict* dict) {
    return reinterpret_cast<Loaded*>(dict->states);
}

// The fields of one level. `nohyphen` holds the items, each ending in a NUL,
// and `nohyphenl` is one less than their number.
void describe(HyphenDict& out, std::string& items, const std::vector<std::string>& noHyphen,
              const Text::Sillabor::detail::DicLevel& level, const DictionaryRep& rep) {
    out.lhmin = static_cast<char>(level.minima.left);
    out.rhmin = static_cast<char>(level.minima.right);
    out.clhmin = static_cast<char>(level.minima.compoundLeft);
    out.crhmin = static_cast<char>(level.minima.compoundRight);
    out.num_states = static_cast<int>(level.states());
    std::strncpy(out.cset, rep.encoding.c_str(), MAX_NAME - 1);
    out.utf8 = rep.utf8 ? 1 : 0;
    for (const std::string& item : noHyphen) {
        items += item;
        items.push_back('\0');
    }
    out.nohyphen = noHyphen.empty() ? nullptr : items.data();
    out.nohyphenl = noHyphen.empty() ? 0 : static_cast<int>(noHyphen.size()) - 1;
}

HyphenDict* load(const std::string& bytes) {
    try {
        auto loaded = std::make_unique<Loaded>();
        loaded->rep = DictionaryRep::parse(bytes);
        const DictionaryRep& rep = loaded->rep;
        // The first level answers for the whole word's NOHYPHEN items.
        HyphenDict& first = loaded->levels[0];
        describe(first, loaded->noHyphen[0], rep.noHyphen, rep.levels[0], rep);
        if (rep.levels.size() > 1) {
            describe(loaded->levels[1], loaded->noHyphen[1], rep.levels[1].noHyphen, rep.levels[1],
                     rep);
            first.nextlevel = &loaded->levels[1];
        }
        first.states = reinterpret_cast<HyphenState*>(loaded.get());
        loaded->levels[1].states = first.states;
        return &loaded.release()->levels[0];
    } catch (const std::exception&) {
        return nullptr; // out of memory
    }
}

enum class Call { standardBreaks, withRules, withMinima };

/// The word with '=' at each break, replacements made, as bytes, at most
/// 2 * word_size of them (what callers allocate): a replacement takes the
/// place of the bytes it covers, counted back over what is already written,
/// where the caller asked for rules.
void writeHyphenated(const DictionaryRep& d, std::string_view word, const DicWork& work, bool rules,
                     char* hyphword) {
    const std::size_t n = word.size();
    const std::uint8_t* const value = work.value.data();
    if (!rules) { // at most n bytes and n - 1 marks
        char* out = hyphword;
        for (std::size_t i = 0; i < n; ++i) {
            *out++ = word[i];
            if (value[i] & 1) *out++ = '=';
        }
        *out = '\0';
        return;
    }
    thread_local std::string out;
    out.clear();
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(word[i]);
        if (!(value[i] & 1)) continue;
        if (work.rule[i].rule >= 0) {
            const auto& r = work.rule[i];
            const auto back = static_cast<std::size_t>(std::max(r.pos, 0));
            out.resize(out.size() >= back ? out.size() - back : 0);
            out += d.rules[static_cast<std::size_t>(r.rule)].replacement;
            i += static_cast<std::size_t>(std::max(r.cut - r.pos, 0));
        } else {
            out.push_back('=');
        }
    }
    // Replacements can lengthen the word past 2 * word_size bytes; what does
    // not fit is cut off rather than written past the buffer.
    const std::size_t length = std::min(out.size(), 2 * n);
    std::memcpy(hyphword, out.data(), length);
    hyphword[length] = '\0';
}

/// Character starts among word[from, to), both kept within the word.
int startsIn(std::string_view word, std::ptrdiff_t from, std::ptrdiff_t to) {
    from = std::max<std::ptrdiff_t>(from, 0);
    to = std::min<std::ptrdiff_t>(to, static_cast<std::ptrdiff_t>(word.size()));
    int n = 0;
    for (std::ptrdiff_t i = from; i < to; ++i)
        n += !isUtf8Continuation(static_cast<unsigned char>(word[static_cast<std::size_t>(i)]));
    return n;
}

/// The UTF-8 word's arrays by character rather than by byte: each character
/// takes the entries of its last byte, and a replacement's counts become
/// characters. Returns 1, changing nothing, for a word that starts inside a
/// character.
int byCharacter(std::string_view w, char* hyphens, char*** rep, int** pos, int** cut) {
    const std::size_t n = w.size();
    if (isUtf8Continuation(static_cast<unsigned char>(w[0]))) return 1;
    const bool arrays = rep && pos && cut && *rep && *pos && *cut;
    std::size_t c = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && !isUtf8Continuation(static_cast<unsigned char>(w[i]))) ++c;
        hyphens[c] = hyphens[i];
        if (!arrays) continue;
        const auto at = static_cast<std::ptrdiff_t>(i);
        const std::ptrdiff_t first = at - (*pos)[i] + 1;
        (*pos)[c] = startsIn(w, first, at + 1);
        (*cut)[c] = startsIn(w, first, first + (*cut)[i]);
        char* moved = (*rep)[i];
        if (c < i) {
            std::free((*rep)[c]);
            (*rep)[i] = nullptr;
            (*pos)[i] = (*cut)[i] = 0;
        }
        (*rep)[c] = moved;
    }
    hyphens[c + 1] = '\0';
    return 0;
}

DicWork& workspace() {
    thread_local DicWork work;
    return work;
}

int hyphenate(HyphenDict* dict, const char* word, int wordSize, char* hyphens, char* hyphword,
              char*** rep, int** pos, int** cut, const DicMinima& minima, Call call) {
    if (!dict || !word || !hyphens || wordSize < 0) return 1;
    const DictionaryRep& d = owner(dict)->rep;
    DicWork& work = workspace();
    const auto n = static_cast<std::size_t>(wordSize);
    const std::string_view w(word, n);
    try {
        hyphenateBytes(d, w, minima, work);
    } catch (const std::bad_alloc&) {
        return 1;
    }
    const bool withRules = !d.rules.empty();
    const bool noHyphen = markNoHyphen(d, w, work);
    std::uint8_t* const value = work.value.data();
    const std::uint8_t* const forbidden = noHyphen ? work.noHyphen.data() : nullptr;

    if (call == Call::standardBreaks) {
        // Plain breaks by byte, as the function has always given them: a
        // break with a replacement cannot be said here, and is left out.
        for (std::size_t i = 0; i < n; ++i) {
            const bool dropped =
                (forbidden && forbidden[i]) || (withRules && work.rule[i].rule >= 0);
            hyphens[i] = static_cast<char>('0' + (dropped ? 0 : value[i]));
        }
        hyphens[n] = '\0';
        std::fill_n(hyphens + n + 1, 4, '0');
        return 0;
    }

    // Breaks beside the forbidden characters: hyphenate2 removes them before
    // writing the hyphenated word; hyphenate3 writes the word first, then
    // marks them with NUL bytes (both read as "no break"). Their rules stay
    // in `rep`, as they always have.
    if (forbidden && call == Call::withRules)
        for (std::size_t i = 0; i < n; ++i)
            if (forbidden[i]) value[i] = 0;
    for (std::size_t i = 0; i < n; ++i)
        hyphens[i] = static_cast<char>('0' + value[i]);
    hyphens[n] = '\0';
    hyphens[n + 1] = '0';

    bool anyRule = false;
    if (withRules && rep && pos && cut)
        for (std::size_t i = 0; i < n && !anyRule; ++i)
            anyRule = work.rule[i].rule >= 0;
    if (anyRule) {
        if (!*rep) {
            *rep = static_cast<char**>(std::calloc(n, sizeof(char*)));
            *pos = static_cast<int*>(std::calloc(n, sizeof(int)));
            *cut = static_cast<int*>(std::calloc(n, sizeof(int)));
            if (!*rep || !*pos || !*cut) return 1;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const auto& r = work.rule[i];
            if (r.rule < 0) continue;
            std::free((*rep)[i]);
            (*rep)[i] = strdup(d.rules[static_cast<std::size_t>(r.rule)].replacement.c_str());
            (*pos)[i] = r.pos;
            (*cut)[i] = r.cut;
        }
    }
    if (hyphword) writeHyphenated(d, w, work, anyRule, hyphword);
    if (forbidden && call == Call::withMinima)
        for (std::size_t i = 0; i < n; ++i)
            if (forbidden[i]) hyphens[i] = '\0';

    // Words of ASCII read the same by byte and by character.
    if (!d.utf8 || n == 0 || !(work.kinds & DictionaryRep::highByte)) return 0;
    return byCharacter(w, hyphens, rep, pos, cut);
}

} // namespace

extern "C" {

HyphenDict* hnj_hyphen_load(const char* fn) {
    if (!fn) return nullptr;
    FILE* f = std::fopen(fn, "rb");
    if (!f) return nullptr;
    HyphenDict* dict = hnj_hyphen_load_file(f);
    std::fclose(f);
    return dict;
}

HyphenDict* hnj_hyphen_load_file(FILE* f) {
    if (!f) return nullptr;
    std::string bytes;
    char buffer[16384];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        bytes.append(buffer, got);
    return load(bytes);
}

void hnj_hyphen_free(HyphenDict* dict) {
    if (dict) delete owner(dict);
}

int hnj_hyphen_hyphenate(HyphenDict* dict, const char* word, int word_size, char* hyphens) {
    if (!dict) return 1;
    const DicMinima m = owner(dict)->rep.minima;
    return hyphenate(dict, word, word_size, hyphens, nullptr, nullptr, nullptr, nullptr, m,
                     Call::standardBreaks);
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
    if (!dict) return 1;
    // The caller's minima, but never below the file's.
    const DicMinima& file = owner(dict)->rep.minima;
    const DicMinima m{std::max(lhmin, file.left), std::max(rhmin, file.right),
                      std::max(clhmin, file.compoundLeft), std::max(crhmin, file.compoundRight)};
    return hyphenate(dict, word, word_size, hyphens, hyphword, rep, pos, cut, m, Call::withMinima);
}

} // extern "C"
