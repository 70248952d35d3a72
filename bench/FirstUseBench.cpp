// The cost of a language's first use: a fresh hyphenator decompresses,
// parses and packs its data, then hyphenates its first word.
#include "Text/Sillabor.hpp"
#include "Text/Sillabor/detail/PatternsRep.hpp"

#include <benchmark/benchmark.h>

namespace {

using namespace Text::Sillabor;

void firstUse(benchmark::State& state, Language language, std::u32string_view word) {
    std::size_t trieBytes = 0, withRows = 0;
    for (auto _ : state) {
        const Hyphenator h = loadHyphenator(language);
        benchmark::DoNotOptimize(hyphenate(h, word));
        const detail::FlatTrie& trie = detail::packedTrie(h.hyphenatorPatterns);
        trieBytes = trie.bytes();
        // The size once the trie has marked enough words to make its rows
        // (outside the timing, which is of the first use alone).
        state.PauseTiming();
        trie.makeRows();
        withRows = trie.bytes();
        state.ResumeTiming();
    }
    state.counters["trie_KiB"] = static_cast<double>(trieBytes) / 1024.0;
    state.counters["with_rows_KiB"] = static_cast<double>(withRows) / 1024.0;
}

void BM_FirstUseEnglish(benchmark::State& state) {
    firstUse(state, Language::English_US, U"Typesetting");
}
BENCHMARK(BM_FirstUseEnglish)->Unit(benchmark::kMillisecond);

void BM_FirstUseHungarian(benchmark::State& state) {
    firstUse(state, Language::Hungarian, U"elválasztás");
}
BENCHMARK(BM_FirstUseHungarian)->Unit(benchmark::kMillisecond);

void BM_FirstUseOfAll73(benchmark::State& state) {
    for (auto _ : state)
        for (Language l : enumFrom(Language::Afrikaans)) {
            const Hyphenator h = loadHyphenator(l);
            benchmark::DoNotOptimize(hyphenate(h, U"abcdefghij"));
            benchmark::DoNotOptimize(detail::packedTrie(h.hyphenatorPatterns));
        }
}
BENCHMARK(BM_FirstUseOfAll73)->Unit(benchmark::kMillisecond);

} // namespace
