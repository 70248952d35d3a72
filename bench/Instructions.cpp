// Hyphenates a word list in one way, for counting instructions per word with
// callgrind: bench/instructions.sh runs it with the measured loop as the
// only part collected.
//
//     sillabor_instructions MODE WORDLIST [PASSES]
//
// MODE is reference, hyphenate, finder or utf8; or parse-exceptions or
// add-exceptions, which make an exception dictionary of the first 20,000
// words, hyphenated, at once or one entry at a time (counted per entry).
#include "Corpus.hpp"
#include "ReferenceLanguage.hpp"

#include "Text/Sillabor.hpp"

#include <cstdio>
#include <cstring>

using namespace Text::Sillabor;

namespace {

volatile std::size_t sink;

// The loop callgrind counts; kept out of line so that it can be named.
template <class Each>
[[gnu::noinline]] void measuredLoop(std::size_t words, int passes, Each each) {
    for (int p = 0; p < passes; ++p)
        for (std::size_t i = 0; i < words; ++i)
            sink = sink + each(i);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: sillabor_instructions MODE WORDLIST [PASSES]\n");
        return 2;
    }
    const std::string mode = argv[1];
    const auto words = sillabor_bench::readWords(argv[2]);
    const int passes = argc > 3 ? std::atoi(argv[3]) : 1;
    std::vector<std::string> utf8;
    for (const auto& w : words)
        utf8.push_back(toUtf8(w));

    const Hyphenator& h = english_US;
    const detail::FileLookup files = detail::findEmbeddedFile;
    const sillabor_reference::Trie trie(
        detail::readDataFile(files, Language::English_US, ".pat.txt.gz"));
    const sillabor_reference::Hyphenator ref{sillabor_reference::normaliser(detail::readDataFile(
                                                 files, Language::English_US, ".chr.txt.gz")),
                                             &trie,
                                             sillabor_reference::exceptions(detail::readDataFile(
                                                 files, Language::English_US, ".hyp.txt.gz")),
                                             2, 3};
    BreakFinder find;

    auto run = [&](auto each) {
        for (std::size_t i = 0; i < words.size(); ++i)
            sink = sink + each(i); // warm up
        measuredLoop(words.size(), passes, each);
    };
    if (mode == "reference")
        run([&](std::size_t i) { return sillabor_reference::hyphenate(ref, words[i]).size(); });
    else if (mode == "hyphenate")
        run([&](std::size_t i) { return hyphenate(h, words[i]).size(); });
    else if (mode == "finder")
        run([&](std::size_t i) { return find(h, words[i]).size(); });
    else if (mode == "utf8")
        run([&](std::size_t i) { return hyphenate(h, utf8[i]).size(); });
    else if (mode == "parse-exceptions" || mode == "add-exceptions") {
        std::vector<std::u32string> entries;
        std::u32string text;
        for (std::size_t i = 0; i < words.size() && i < 20000; ++i) {
            std::u32string entry;
            for (const std::u32string& piece : hyphenate(h, words[i]))
                entry += (entry.empty() ? U"" : U"-") + piece;
            text += entry + U"\n";
            entries.push_back(std::move(entry));
        }
        if (mode == "parse-exceptions") {
            measuredLoop(1, passes, [&](std::size_t) { return parseExceptions(text).size(); });
        } else {
            measuredLoop(1, passes, [&](std::size_t) {
                Exceptions d;
                for (const std::u32string& entry : entries)
                    d = addException(entry, d);
                return d.size();
            });
        }
        std::printf("%zu entries x %d passes\n", entries.size(), passes);
        return 0;
    } else {
        std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
        return 2;
    }
    std::printf("%zu words x %d passes\n", words.size(), passes);
    return 0;
}
