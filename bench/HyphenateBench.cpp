// Throughput of hyphenation on the shared word lists, against the simple
// reference scorer measured in the same run.
#include "AllocationCounter.hpp"
#include "Corpus.hpp"
#include "InTurns.hpp"
#include "ReferenceLanguage.hpp"

#include "Text/Sillabor.hpp"
#include "detail/data/EmbeddedFiles.hpp"
#include "detail/data/Loader.hpp"

#include <benchmark/benchmark.h>

#include <thread>

namespace {

using namespace Text::Sillabor;
using namespace sillabor_bench;

struct Corpus {
    std::vector<std::u32string> words;
    std::vector<std::string> utf8;
};

const Corpus& corpus(const char* file) {
    static std::map<std::string, Corpus> loaded;
    auto [it, added] = loaded.try_emplace(file);
    if (added) {
        it->second.words = readWords(wordList(file));
        for (const auto& w : it->second.words)
            it->second.utf8.push_back(toUtf8(w));
    }
    return it->second;
}
const Corpus& english() {
    return corpus("words-en.txt");
}
const Corpus& german() {
    return corpus("words-de.txt");
}

using Reference = sillabor_reference::Language;

// Runs `each(word index)` over the whole corpus per iteration and reports
// words per second, nanoseconds and heap allocations per word.
template <class Each>
void overCorpus(benchmark::State& state, std::size_t count, Each each) {
    for (std::size_t i = 0; i < count; ++i)
        each(i); // warm up: tables decoded, buffers grown
    const auto before = sillabor_test::allocations.calls;
    for (auto _ : state)
        for (std::size_t i = 0; i < count; ++i)
            each(i);
    const double words = static_cast<double>(count) * static_cast<double>(state.iterations());
    state.counters["words/s"] = benchmark::Counter(static_cast<double>(count),
                                                   benchmark::Counter::kIsIterationInvariantRate);
    state.counters["ns/word"] = benchmark::Counter(static_cast<double>(count),
                                                   benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
    state.counters["allocs/word"] =
        static_cast<double>(sillabor_test::allocations.calls - before) / words;
}

// The reference scorer over a corpus.
void referenceOn(benchmark::State& state, const Reference& ref, const Corpus& corpus) {
    const auto& words = corpus.words;
    overCorpus(state, words.size(), [&](std::size_t i) {
        benchmark::DoNotOptimize(sillabor_reference::hyphenate(ref.hyphenator, words[i]));
    });
}

// `hyphenate` over a list of words, code points or UTF-8.
template <class Word>
void hyphenateOn(benchmark::State& state, const Hyphenator& h, const std::vector<Word>& words) {
    overCorpus(state, words.size(),
               [&](std::size_t i) { benchmark::DoNotOptimize(hyphenate(h, words[i])); });
}

void BM_English_Reference(benchmark::State& state) {
    static const Reference ref(Language::English_US);
    referenceOn(state, ref, english());
}
BENCHMARK(BM_English_Reference)->Unit(benchmark::kMillisecond);

void BM_English_hyphenate(benchmark::State& state) {
    hyphenateOn(state, english_US, english().words);
}
BENCHMARK(BM_English_hyphenate)->Unit(benchmark::kMillisecond);

void BM_English_BreakFinder(benchmark::State& state) {
    const auto& words = english().words;
    const Hyphenator& h = english_US;
    BreakFinder find;
    overCorpus(state, words.size(),
               [&](std::size_t i) { benchmark::DoNotOptimize(find(h, words[i]).size()); });
}
BENCHMARK(BM_English_BreakFinder)->Unit(benchmark::kMillisecond);

void BM_English_hyphenateUtf8(benchmark::State& state) {
    hyphenateOn(state, english_US, english().utf8);
}
BENCHMARK(BM_English_hyphenateUtf8)->Unit(benchmark::kMillisecond);

void BM_German_Reference(benchmark::State& state) {
    static const Reference ref(Language::German_1996);
    referenceOn(state, ref, german());
}
BENCHMARK(BM_German_Reference)->Unit(benchmark::kMillisecond);

void BM_German_hyphenate(benchmark::State& state) {
    hyphenateOn(state, german_1996, german().words);
}
BENCHMARK(BM_German_hyphenate)->Unit(benchmark::kMillisecond);

// Threads sharing the ready-made english_US: the whole list on one thread,
// then each half on a thread of its own, in turns, through `hyphenate` and
// through `BreakFinder`. `scaling` is the median of one thread's time over two
// threads' (2 where nothing shared is written); the two interfaces read the
// same tables, so a lower figure for `hyphenate` points at something it
// alone shares (a counter, a reference count, the allocator).
template <class Work>
void twoThreadsInTurns(benchmark::State& state, Work work) {
    const auto& words = english().words;
    const std::size_t half = words.size() / 2;
    work(words.data(), words.data() + words.size()); // the tables are decoded first
    inTurns(
        state, words.size(), "one_thread", "two_threads", "scaling",
        [&] { work(words.data(), words.data() + words.size()); },
        [&] {
            std::thread other(work, words.data(), words.data() + half);
            work(words.data() + half, words.data() + words.size());
            other.join();
        });
}

void BM_English_threads_hyphenate(benchmark::State& state) {
    twoThreadsInTurns(state, [](const std::u32string* from, const std::u32string* to) {
        const Hyphenator& h = english_US;
        for (; from != to; ++from)
            benchmark::DoNotOptimize(hyphenate(h, *from));
    });
}
BENCHMARK(BM_English_threads_hyphenate)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_English_threads_BreakFinder(benchmark::State& state) {
    twoThreadsInTurns(state, [](const std::u32string* from, const std::u32string* to) {
        const Hyphenator& h = english_US;
        BreakFinder find;
        for (; from != to; ++from)
            benchmark::DoNotOptimize(find(h, *from).size());
    });
}
BENCHMARK(BM_English_threads_BreakFinder)->UseManualTime()->Unit(benchmark::kMillisecond);

// Running text: the English words as a text of lines, through the streaming
// hyphenator, in pieces as the tool reads them.
void BM_English_runningText(benchmark::State& state) {
    std::string text;
    const auto& words = english().utf8;
    for (std::size_t i = 0; i < words.size(); ++i) {
        text += words[i];
        text += i % 12 == 11 ? ".\n" : " ";
    }
    const WordCharacters letters = WordCharacters::of(Language::English_US);
    std::string out;
    for (auto _ : state) {
        TextHyphenator t(english_US, letters, "\u00ad");
        for (std::size_t at = 0; at < text.size(); at += 1 << 16) {
            out.clear();
            t.feed(std::string_view(text).substr(at, 1 << 16), out);
        }
        t.finish(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(text.size()) * state.iterations());
}
BENCHMARK(BM_English_runningText)->Unit(benchmark::kMillisecond);

} // namespace
