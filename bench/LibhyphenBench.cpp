// libsillabor_hyphen, and the library's own interface, against the real
// libhyphen in one process, on the shared word lists: hyph_en_US.dic on
// words-en.txt and hyph_de_DE.dic on words-de.txt, each word lowered and in
// the file's character set, through
// hnj_hyphen_hyphenate2 with a hyphenated-word buffer, as office programs
// call it. libhyphen is loaded with dlopen and bound to itself, so that the
// two libraries' functions of the same names stay apart.
//
//     libhyphen_bench [--benchmark_...]   (DICT_DIR and WORD_DIR from the build)
#include "../tests/libhyphen/RealLibhyphen.hpp"
#include "InTurns.hpp"
#include "hyphen.h"

#include <Text/Sillabor.hpp>

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Api = sillabor_test::RealLibhyphen;

const Api ours{hnj_hyphen_load, hnj_hyphen_free, hnj_hyphen_hyphenate, hnj_hyphen_hyphenate2,
               hnj_hyphen_hyphenate3};

const Api* reference() {
    return Api::open();
}

std::vector<std::string> words(const char* list, const char* charset) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::ifstream in(std::string(SILLABOR_WORDS_DIR) + "/" + list);
    iconv_t cd = iconv_open(charset, "UTF-8");
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) {
        std::wstring wide(line.size() + 1, L'\0');
        wide.resize(std::mbstowcs(wide.data(), line.c_str(), wide.size()));
        for (wchar_t& c : wide)
            c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
        std::string lower(wide.size() * 4 + 1, '\0');
        lower.resize(std::wcstombs(lower.data(), wide.c_str(), lower.size()));
        std::string converted(lower.size() * 4 + 4, '\0');
        char* ip = lower.data();
        std::size_t il = lower.size();
        char* op = converted.data();
        std::size_t ol = converted.size();
        if (iconv(cd, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1)) continue;
        converted.resize(converted.size() - ol);
        out.push_back(converted);
    }
    iconv_close(cd);
    return out;
}

// One pass of `api` over the words, through hnj_hyphen_hyphenate2 with a
// hyphenated-word buffer.
void hyphenateAll(const Api& api, HyphenDict* dict, const std::vector<std::string>& ws) {
    char hyphens[512], hyphword[1024];
    for (const std::string& w : ws) {
        if (w.size() > 250) continue;
        char** rep = nullptr;
        int *pos = nullptr, *cut = nullptr;
        api.hyphenate2(dict, w.data(), static_cast<int>(w.size()), hyphens, hyphword, &rep, &pos,
                       &cut);
        if (rep) {
            for (std::size_t i = 0; i < w.size(); ++i)
                std::free(rep[i]);
            std::free(rep), std::free(pos), std::free(cut);
        }
        char* written = hyphword;
        benchmark::DoNotOptimize(written);
    }
}

void run(benchmark::State& state, const Api* api, const char* dic, const char* list,
         const char* charset) {
    if (!api) {
        state.SkipWithError("libhyphen.so.0 is not installed");
        return;
    }
    static std::vector<std::string> en = words("words-en.txt", "UTF-8");
    static std::vector<std::string> de = words("words-de.txt", "ISO-8859-1");
    const std::vector<std::string>& ws = std::string(list) == "en" ? en : de;
    (void)charset;
    HyphenDict* dict = api->load((std::string(SILLABOR_DICT_DIR) + "/" + dic).c_str());
    if (!dict) {
        state.SkipWithError("dictionary missing");
        return;
    }
    for (auto _ : state)
        hyphenateAll(*api, dict, ws);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * ws.size()));
    api->free(dict);
}

// The library's own interface on the same English words, against libhyphen
// in the same run: `hyphenate` (pieces as strings) and BreakFinder (break
// positions, no allocation), with the built-in US English patterns.
const std::vector<std::u32string>& englishWords() {
    static const std::vector<std::u32string> out = [] {
        std::vector<std::u32string> ws;
        for (const std::string& w : words("words-en.txt", "UTF-8"))
            ws.push_back(Text::Sillabor::toUtf32(w));
        return ws;
    }();
    return out;
}

void BM_sillabor_hyphenate_en_US(benchmark::State& state) {
    const auto& ws = englishWords();
    for (auto _ : state)
        for (const std::u32string& w : ws)
            benchmark::DoNotOptimize(Text::Sillabor::hyphenate(Text::Sillabor::english_US, w));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * ws.size()));
}

void BM_sillabor_BreakFinder_en_US(benchmark::State& state) {
    const auto& ws = englishWords();
    Text::Sillabor::BreakFinder find;
    for (auto _ : state)
        for (const std::u32string& w : ws)
            benchmark::DoNotOptimize(find(Text::Sillabor::english_US, w).size());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * ws.size()));
}

// libhyphen and the library in turns, a pass over the English words each,
// timed separately: both meet the same state of the machine, whose load
// changes their times far more than it changes their ratio. Reports the
// median of each one's time per word over the passes, and the median of
// the ratios of the two passes of a turn (`times_faster`).
template <class Ours>
void paired(benchmark::State& state, Ours ours) {
    const Api* api = reference();
    if (!api) {
        state.SkipWithError("libhyphen.so.0 is not installed");
        return;
    }
    HyphenDict* dict = api->load(SILLABOR_DICT_DIR "/hyph_en_US.dic");
    if (!dict) {
        state.SkipWithError("dictionary missing");
        return;
    }
    static const std::vector<std::string> lowered = words("words-en.txt", "UTF-8");
    const auto& ws = englishWords();
    ours(ws); // the rows of the automaton are made on first use
    sillabor_bench::inTurns(
        state, ws.size(), "libhyphen", "ours", "times_faster",
        [&] { hyphenateAll(*api, dict, lowered); }, [&] { ours(ws); });
    api->free(dict);
}

void BM_paired_hyphenate_en_US(benchmark::State& state) {
    paired(state, [](const std::vector<std::u32string>& ws) {
        for (const std::u32string& w : ws)
            benchmark::DoNotOptimize(Text::Sillabor::hyphenate(Text::Sillabor::english_US, w));
    });
}

void BM_paired_BreakFinder_en_US(benchmark::State& state) {
    Text::Sillabor::BreakFinder find;
    paired(state, [&find](const std::vector<std::u32string>& ws) {
        for (const std::u32string& w : ws)
            benchmark::DoNotOptimize(find(Text::Sillabor::english_US, w).size());
    });
}

// libhyphen and libsillabor_hyphen in turns on the same file and words,
// through hnj_hyphen_hyphenate2 with a hyphenated-word buffer.
void pairedDictionary(benchmark::State& state, const char* dic, const char* list,
                      const char* charset) {
    const Api* api = reference();
    if (!api) {
        state.SkipWithError("libhyphen.so.0 is not installed");
        return;
    }
    const std::string path = std::string(SILLABOR_DICT_DIR) + "/" + dic;
    HyphenDict* theirs = api->load(path.c_str());
    HyphenDict* mine = ours.load(path.c_str());
    if (!theirs || !mine) {
        state.SkipWithError("dictionary missing");
        return;
    }
    const std::vector<std::string> ws = words(list, charset);
    sillabor_bench::inTurns(
        state, ws.size(), "libhyphen", "ours", "times_faster",
        [&] { hyphenateAll(*api, theirs, ws); }, [&] { hyphenateAll(ours, mine, ws); });
    api->free(theirs);
    ours.free(mine);
}

} // namespace

BENCHMARK_CAPTURE(pairedDictionary, en_US, "hyph_en_US.dic", "words-en.txt", "UTF-8")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(pairedDictionary, de_DE, "hyph_de_DE.dic", "words-de.txt", "ISO-8859-1")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_paired_hyphenate_en_US)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_paired_BreakFinder_en_US)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_sillabor_hyphenate_en_US)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_sillabor_BreakFinder_en_US)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(run, libhyphen_en_US, reference(), "hyph_en_US.dic", "en", "UTF-8")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(run, sillabor_hyphen_en_US, &ours, "hyph_en_US.dic", "en", "UTF-8")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(run, libhyphen_de_DE, reference(), "hyph_de_DE.dic", "de", "ISO-8859-1")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(run, sillabor_hyphen_de_DE, &ours, "hyph_de_DE.dic", "de", "ISO-8859-1")
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
