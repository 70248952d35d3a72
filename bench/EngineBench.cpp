// The engine on its own: a hyphenator built from the US English pattern text,
// hyphenating the English word list.
#include "Corpus.hpp"

#include "Text/Sillabor.hpp"

#include <benchmark/benchmark.h>

namespace {

using namespace Text::Sillabor;
using namespace sillabor_bench;

const std::u32string& englishPatternText() {
    static const std::u32string text =
        detail::decodeUtf8Lenient(readGzip(sharedPath("hyph-utf8/hyph-en-us.pat.txt.gz")));
    return text;
}

const std::vector<std::u32string>& englishWords() {
    static const std::vector<std::u32string> words = readWords(sharedPath("bench/words-en.txt"));
    return words;
}

void BM_ParseEnglishPatterns(benchmark::State& state) {
    const std::u32string& text = englishPatternText();
    for (auto _ : state)
        benchmark::DoNotOptimize(parsePatterns(text));
}
BENCHMARK(BM_ParseEnglishPatterns)->Unit(benchmark::kMicrosecond);

void BM_HyphenateEnglishWords(benchmark::State& state) {
    const Hyphenator h{[](char32_t c) { return c; }, parsePatterns(englishPatternText()),
                       Exceptions{}, 2, 3};
    const auto& words = englishWords();
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    for (auto _ : state)
        for (std::size_t i = 0; i < count; ++i)
            benchmark::DoNotOptimize(hyphenate(h, words[i]));
    state.counters["words/s"] = benchmark::Counter(static_cast<double>(count),
                                                   benchmark::Counter::kIsIterationInvariantRate);
    state.counters["ns/word"] = benchmark::Counter(static_cast<double>(count),
                                                   benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}
BENCHMARK(BM_HyphenateEnglishWords)->Arg(5000)->Unit(benchmark::kMicrosecond);

} // namespace
