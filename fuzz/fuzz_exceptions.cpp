// Exception texts -> parseExceptions -> lookupException against the reference,
// and the laws of the union on two dictionaries made by the fuzzer.
#include "FuzzInput.hpp"
#include "ReferenceScorer.hpp"

#include "Text/Sillabor/Exception.hpp"

using namespace Text::Sillabor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sillabor_fuzz::Input in(data, size);
    const std::u32string ta = in.text(), tb = in.text();
    const Exceptions a = parseExceptions(ta), b = parseExceptions(tb);
    const auto reference = sillabor_reference::exceptions(ta);
    if (a.size() != reference.size()) sillabor_fuzz::finding("size");
    for (const auto& [word, scores] : reference)
        if (lookupException(word, a) != scores) sillabor_fuzz::finding("lookup");
    while (!in.empty()) {
        const std::u32string word = in.text();
        const auto found = reference.find(word);
        const std::optional<Scores> expected =
            found == reference.end() ? std::nullopt : std::optional<Scores>(found->second);
        if (lookupException(word, a) != expected) sillabor_fuzz::finding("lookup of a word");
    }
    if (!((a | b) == (b | a))) sillabor_fuzz::finding("commutative");
    if (!((a | a) == a)) sillabor_fuzz::finding("idempotent");
    if (!(((a | b) | a) == (a | (b | a)))) sillabor_fuzz::finding("associative");
    if (!((a | Exceptions{}) == a)) sillabor_fuzz::finding("neutral");
    // The lines of two texts joined by a line feed are the lines of both.
    if (!ta.empty() && ta.back() != U'\n' && !(parseExceptions(ta + U"\n" + tb) == (a | b)))
        sillabor_fuzz::finding("parse of two texts");
    return 0;
}
