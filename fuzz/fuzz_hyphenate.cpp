// A hyphenator made from fuzzer patterns, exceptions and minima (zero and
// negative included): hyphenate must not crash, its pieces must concatenate
// to the word, it must agree with the reference, and the only exception that
// may escape is the malformed-score abort.
#include "FuzzInput.hpp"
#include "ReferenceScorer.hpp"

#include "Text/Sillabor/Breaks.hpp"
#include "Text/Sillabor/Hyphenator.hpp"

#include <cstring>
#include <stdexcept>

using namespace Text::Sillabor;

namespace {
char32_t fold(char32_t c) {
    return c == U'A' ? U'a' : c == 0xFFFFFFFF ? U'b' : c;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sillabor_fuzz::Input in(data, size);
    const std::u32string patterns = in.text(), exceptions = in.text();
    const std::ptrdiff_t lm = in.minimum(), rm = in.minimum();
    // Now and then an exception stored with an empty list, which only the
    // constructor can make.
    Exceptions::Map map = parseExceptions(exceptions).map();
    if (in.byte() % 4 == 0) map[U"ab"] = {};
    const Hyphenator h{fold, parsePatterns(patterns), Exceptions(map), lm, rm};
    const sillabor_reference::Trie trie(patterns);
    const sillabor_reference::Hyphenator ref{fold, &trie, map, lm, rm};
    BreakFinder find;
    while (!in.empty()) {
        const std::u32string word = in.text();
        std::vector<std::u32string> pieces, expected;
        bool failed = false, expectedFailure = false;
        try {
            pieces = hyphenate(h, word);
        } catch (const std::invalid_argument& e) {
            if (std::strncmp(e.what(), "Malformed hyphenation score for ", 32) != 0)
                sillabor_fuzz::finding("an unexpected message");
            failed = true;
        }
        try {
            expected = sillabor_reference::hyphenate(ref, word);
        } catch (const std::invalid_argument&) {
            expectedFailure = true;
        }
        if (failed != expectedFailure) sillabor_fuzz::finding("abort differs");
        if (failed) continue;
        if (pieces != expected) sillabor_fuzz::finding("pieces differ");
        std::u32string joined;
        for (const auto& p : pieces)
            joined += p;
        if (joined != word) sillabor_fuzz::finding("pieces do not make the word");
        if (find(h, word).size() + 1 != pieces.size()) sillabor_fuzz::finding("break finder");
    }
    return 0;
}
