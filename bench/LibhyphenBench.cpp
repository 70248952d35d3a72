// libsillabor_hyphen, and the library's own interface, against the real
// libhyphen in one process, on the shared word lists: hyph_en_US.dic on
// words-en.txt and hyph_de_DE.dic on words-de.txt, each word lowered and in
// the file's character set, through
// hnj_hyphen_hyphenate2 with a hyphenated-word buffer, as office programs
// call it. libhyphen is loaded with dlopen and bound to itself, so that the
// two libraries' functions of the same names stay apart.
//
//     libhyphen_bench [--benchmark_...]   (DICT_DIR and WORD_DIR from the build)
#include "hyphen.h"

#include <Text/Sillabor.hpp>

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <iconv.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Api {
    decltype(&hnj_hyphen_load) load;
    decltype(&hnj_hyphen_free) free;
    decltype(&hnj_hyphen_hyphenate2) hyphenate2;
};

const Api ours{hnj_hyphen_load, hnj_hyphen_free, hnj_hyphen_hyphenate2};

const Api* reference() {
    static const Api* api = []() -> const Api* {
        void* h = dlopen("libhyphen.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND);
        if (!h) return nullptr;
        static Api a{
            reinterpret_cast<decltype(&hnj_hyphen_load)>(dlsym(h, "hnj_hyphen_load")),
            reinterpret_cast<decltype(&hnj_hyphen_free)>(dlsym(h, "hnj_hyphen_free")),
            reinterpret_cast<decltype(&hnj_hyphen_hyphenate2)>(dlsym(h, "hnj_hyphen_hyphenate2"))};
        return a.load && a.free && a.hyphenate2 ? &a : nullptr;
    }();
    return api;
}

std::vector<std::string> words(const char* list, const char* charset) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::ifstream in(std::string(SILLABOR_WORD_DIR) + "/" + list);
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
    std::vector<char> hyphens(512), hyphword(1024);
    for (auto _ : state) {
        for (const std::string& w : ws) {
            if (w.size() > 250) continue;
            char** rep = nullptr;
            int *pos = nullptr, *cut = nullptr;
            api->hyphenate2(dict, w.data(), static_cast<int>(w.size()), hyphens.data(),
                            hyphword.data(), &rep, &pos, &cut);
            if (rep) {
                for (std::size_t i = 0; i < w.size(); ++i)
                    std::free(rep[i]);
                std::free(rep), std::free(pos), std::free(cut);
            }
            benchmark::DoNotOptimize(hyphword.data());
        }
    }
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

} // namespace

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
