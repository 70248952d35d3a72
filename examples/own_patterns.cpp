// A hyphenator of your own: patterns and exceptions from text, or a
// built-in language with exceptions added.
//
//     own_patterns
//     Hy-phen-ation
//     ta-ble
//     sil-la-bor
#include <Text/Sillabor.hpp>

#include <iostream>

using namespace Text::Sillabor;

static std::string joined(const std::vector<std::string>& pieces) {
    std::string out;
    for (const auto& p : pieces)
        out += (out.empty() ? "" : "-") + p;
    return out;
}

int main() {
    // Patterns score the gaps between letters (odd scores allow a break);
    // exceptions fix the breaks of whole words.
    const Hyphenator mine{
        [](char32_t c) { return c >= U'A' && c <= U'Z' ? c + 32 : c; }, // lower-case ASCII
        parsePatterns(U"hy3ph\nhe2n\nhen5at\nhena4\n1na\nn2at\n1tio\n2io\no2n\n"),
        parseExceptions(U"ta-ble\n"),
        2, // at least 2 characters before the first break
        3, // and 3 after the last
    };
    std::cout << joined(hyphenate(mine, "Hyphenation")) << '\n';
    std::cout << joined(hyphenate(mine, "table")) << '\n';

    // US English with a word of our own: copy the ready-made record and
    // combine its exceptions with ours.
    Hyphenator english = english_US;
    english.hyphenatorExceptions |= parseExceptions(U"sil-la-bor\n");
    std::cout << joined(hyphenate(english, "sillabor")) << '\n';
}
