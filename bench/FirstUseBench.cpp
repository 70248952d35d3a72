// The cost of a language's first use: a fresh hyphenator decompresses and
// parses its data, then hyphenates its first word (on the parsed nodes: the
// trie is packed once its lookups have paid for it). And the cost of a fresh
// hyphenator's first words, packing included.
#include "Corpus.hpp"

#include "Text/Sillabor.hpp"
#include "detail/engine/PatternsRep.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

using namespace Text::Sillabor;
using namespace sillabor_bench;

void firstUse(benchmark::State& state, Language language, std::u32string_view word) {
    std::size_t trieBytes = 0, withRows = 0;
    for (auto _ : state) {
        const Hyphenator h = loadHyphenator(language);
        benchmark::DoNotOptimize(hyphenate(h, word));
        // The size of the packed trie, and the size once it has marked
        // enough words to make its rows (outside the timing, which is of the
        // first use alone).
        state.PauseTiming();
        const detail::FlatTrie& trie = detail::packedTrie(h.hyphenatorPatterns);
        trieBytes = trie.bytes();
        trie.makeRows();
        withRows = trie.bytes();
        state.ResumeTiming();
    }
    state.counters["trie_KiB"] = static_cast<double>(trieBytes) / 1024.0;
    state.counters["with_rows_KiB"] = static_cast<double>(withRows) / 1024.0;
}

// A fresh english_US on the first `range(0)` words of words-en.txt, one after
// the other as a program would: the words read on the parsed nodes, the
// packing once they have paid for it, and the words after it.
void BM_FreshEnglishWords(benchmark::State& state) {
    static const std::vector<std::u32string> all = readWords(wordList("words-en.txt"));
    const auto count = std::min(static_cast<std::size_t>(state.range(0)), all.size());
    for (auto _ : state) {
        const Hyphenator h = loadHyphenator(Language::English_US);
        BreakFinder find;
        for (std::size_t i = 0; i < count; ++i)
            benchmark::DoNotOptimize(find(h, all[i]).size());
    }
    state.counters["words"] = static_cast<double>(count);
}
BENCHMARK(BM_FreshEnglishWords)
    ->Arg(10)
    ->Arg(100)
    ->Arg(300)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

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
