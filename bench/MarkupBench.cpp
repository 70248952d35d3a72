// Running text and HTML on the same page: an HTML page made of the English
// word list, through TextHyphenator and through HtmlHyphenator, in pieces as
// the tool reads them. The ratio of the two is printed at the end.
#include "Corpus.hpp"

#include "Text/Sillabor.hpp"

#include <benchmark/benchmark.h>

#include <fstream>

namespace {

using namespace Text::Sillabor;
using namespace sillabor_bench;

// A page as documentation pages are: a head with a style and a script,
// paragraphs with inline markup, links, references, code and comments.
const std::string& page() {
    static const std::string text = [] {
        std::string out = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                          "<title>Hyphenation</title><style>p { text-align: justify; }</style>"
                          "<script>var hyphenation = 1;</script></head>\n<body>\n";
        std::ifstream in(wordList("words-en.txt"));
        std::size_t n = 0;
        out += "<p class=\"text\">";
        for (std::string word; std::getline(in, word); ++n) {
            if (n % 97 == 0) out += "<a href=\"https://example.com/" + word + "\">";
            if (n % 53 == 0) out += "<em>";
            out += word;
            if (n % 53 == 0) out += "</em>";
            if (n % 97 == 0) out += "</a>";
            out += n % 41 == 0 ? " &amp; " : n % 12 == 11 ? ".\n" : " ";
            if (n % 120 == 119) {
                out += "</p>\n";
                if (n % 600 == 599)
                    out += "<pre><code>hyphenate(word);</code></pre>\n<!-- note -->\n";
                out += "<p class=\"text\">";
            }
        }
        out += "</p>\n</body></html>\n";
        return out;
    }();
    return text;
}

template <class Streamer>
void stream(benchmark::State& state, Streamer make) {
    const std::string& text = page();
    std::string out;
    for (auto _ : state) {
        auto s = make();
        for (std::size_t at = 0; at < text.size(); at += 1 << 16) {
            out.clear();
            s.feed(std::string_view(text).substr(at, 1 << 16), out);
        }
        s.finish(out);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["bytes/s"] = benchmark::Counter(static_cast<double>(text.size()),
                                                   benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(static_cast<std::int64_t>(text.size()) * state.iterations());
}

void BM_Page_text(benchmark::State& state) {
    const WordCharacters letters = WordCharacters::of(Language::English_US);
    stream(state, [&] { return TextHyphenator(english_US, letters); });
}
BENCHMARK(BM_Page_text)->Unit(benchmark::kMillisecond);

void BM_Page_html(benchmark::State& state) {
    stream(state, [] { return HtmlHyphenator(Language::English_US); });
}
BENCHMARK(BM_Page_html)->Unit(benchmark::kMillisecond);

} // namespace
