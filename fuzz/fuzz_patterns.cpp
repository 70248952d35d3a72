// Pattern text -> parsePatterns -> lookupPattern and hyphenate, against the
// reference scorer: any difference is a finding.
#include "FuzzInput.hpp"
#include "ReferenceScorer.hpp"

#include "Text/Sillabor/Hyphenator.hpp"
#include "detail/automaton/FlatTrie.hpp"
#include "detail/engine/PatternsRep.hpp"

#include <vector>

using namespace Text::Sillabor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sillabor_fuzz::Input in(data, size);
    const std::u32string text = in.text();
    const Patterns trie = parsePatterns(text);
    const sillabor_reference::Trie reference(text);
    const std::ptrdiff_t lm = in.minimum(), rm = in.minimum();
    const Hyphenator h{[](char32_t c) { return c; }, trie, Exceptions{}, lm, rm};
    const sillabor_reference::Hyphenator ref{[](char32_t c) { return c; }, &reference, {}, lm, rm};
    std::vector<std::u32string> words;
    while (!in.empty())
        words.push_back(in.text());
    auto compare = [&] {
        for (const std::u32string& word : words) {
            if (lookupPattern(word, trie) != reference.lookup(word))
                sillabor_fuzz::finding("scores");
            if (hyphenate(h, word) != sillabor_reference::hyphenate(ref, word))
                sillabor_fuzz::finding("pieces");
        }
    };
    compare();
    // Again on the automaton's rows, which a trie otherwise makes only once
    // it has scored 1,000 words.
    detail::packedTrie(trie).makeRows();
    compare();
    // A trie built by insertion, line by line from the last, is the same trie.
    if (text.size() < 512) {
        Patterns inserted;
        const auto lines = sillabor_reference::lines(text);
        for (auto it = lines.rbegin(); it != lines.rend(); ++it)
            inserted = insertPattern(*it, inserted);
        if (!(inserted == trie)) sillabor_fuzz::finding("insertion");
    }
    return 0;
}
