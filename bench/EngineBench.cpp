// The engine on its own: a hyphenator built from the US English pattern text,
// hyphenating the English word list.
#include "Corpus.hpp"

#include "Text/Sillabor.hpp"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace Text::Sillabor;
using namespace sillabor_bench;

const std::u32string& englishPatternText() {
    static const std::u32string text = embeddedText("hyph-en-us.pat.txt");
    return text;
}

const std::vector<std::u32string>& englishWords() {
    static const std::vector<std::u32string> words = readWords(wordList("words-en.txt"));
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

// 20,000 exception entries: the first words of the English list, hyphenated.
const std::vector<std::u32string>& exceptionEntries() {
    static const std::vector<std::u32string> entries = [] {
        std::vector<std::u32string> out;
        for (std::size_t i = 0; i < 20000; ++i) {
            std::u32string entry;
            for (const std::u32string& piece : hyphenate(english_US, englishWords()[i]))
                entry += (entry.empty() ? U"" : U"-") + piece;
            out.push_back(std::move(entry));
        }
        return out;
    }();
    return entries;
}

void BM_ParseExceptions20000(benchmark::State& state) {
    std::u32string text;
    for (const std::u32string& entry : exceptionEntries())
        text += entry + U"\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(parseExceptions(text));
}
BENCHMARK(BM_ParseExceptions20000)->Unit(benchmark::kMillisecond);

// The same entries added one at a time, as an editor adds a user's words:
// each step keeps the value before it alive, as a caller's undo history would.
void BM_AddException20000(benchmark::State& state) {
    for (auto _ : state) {
        Exceptions d;
        for (const std::u32string& entry : exceptionEntries()) {
            Exceptions next = addException(entry, d);
            d = std::move(next);
        }
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_AddException20000)->Unit(benchmark::kMillisecond);

// One entry added to the dictionary of all 20,000, and a dictionary of ten
// entries joined to it: each costs in proportion to the small side.
void BM_AddOneToExceptions20000(benchmark::State& state) {
    std::u32string text;
    for (const std::u32string& entry : exceptionEntries())
        text += entry + U"\n";
    const Exceptions large = parseExceptions(text);
    const Exceptions small = parseExceptions(U"ta-ble\nas-so-ciate\npro-ject\nre-cord\nkey-board\n"
                                             U"pre-sent\nob-ject\nper-mit\ncon-duct\nde-sert\n");
    for (auto _ : state) {
        benchmark::DoNotOptimize(addException(U"hy-phen-ation", large));
        benchmark::DoNotOptimize(large | small);
    }
}
BENCHMARK(BM_AddOneToExceptions20000)->Unit(benchmark::kNanosecond);

const std::u32string& hungarianPatternText() {
    static const std::u32string text = embeddedText("hyph-hu.pat.txt");
    return text;
}

// The first 1,000 English patterns, to insert into the Hungarian trie.
std::vector<std::u32string> englishPatterns(std::size_t count) {
    std::vector<std::u32string> out;
    detail::forEachLine(std::u32string_view(englishPatternText()), [&](std::u32string_view line) {
        if (out.size() < count && !line.empty()) out.emplace_back(line);
    });
    return out;
}

// Parsing the Hungarian patterns, then 1,000 lookups: what 1,000 alternate
// insertions and lookups are measured against.
void BM_HungarianParseThen1000Lookups(benchmark::State& state) {
    const auto& words = englishWords();
    for (auto _ : state) {
        const Patterns t = parsePatterns(hungarianPatternText());
        for (std::size_t i = 0; i < 1000; ++i)
            benchmark::DoNotOptimize(lookupPattern(words[i], t));
    }
}
BENCHMARK(BM_HungarianParseThen1000Lookups)->Unit(benchmark::kMillisecond);

// 1,000 steps of inserting a pattern into the Hungarian trie and looking a
// word up in the result, as an editor of patterns does; parsing not counted.
void BM_Hungarian1000InsertLookupSteps(benchmark::State& state) {
    const auto& words = englishWords();
    const auto patterns = englishPatterns(1000);
    const Patterns parsed = parsePatterns(hungarianPatternText());
    (void)lookupPattern(U"a", parsed); // packed once, as parsing leaves it
    for (auto _ : state) {
        Patterns t = parsed;
        for (std::size_t i = 0; i < 1000; ++i) {
            t = insertPattern(patterns[i], t);
            benchmark::DoNotOptimize(lookupPattern(words[i], t));
        }
    }
}
BENCHMARK(BM_Hungarian1000InsertLookupSteps)->Unit(benchmark::kMillisecond);

} // namespace
