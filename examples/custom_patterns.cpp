// Builds a hyphenator from pattern and exception text of your own, and
// hyphenates the words given on the command line.
//
//     custom_patterns hyphenation table
//     hy-phen-ation
//     ta-ble
#include <Text/Sillabor.hpp>

#include <iostream>
#include <string>

using namespace Text::Sillabor;

int main(int argc, char** argv) {
    // Patterns score the gaps between letters: odd scores allow a break.
    const Patterns patterns =
        parsePatterns(U"hy3ph\nhe2n\nhen5at\nhena4\n1na\nn2at\n1tio\n2io\no2n\n");
    // Exceptions fix the breaks of whole words.
    const Exceptions exceptions = parseExceptions(U"ta-ble\n");
    // Lower-case ASCII before lookup; keep at least 2 letters before the first
    // break and 3 after the last.
    const Hyphenator h{[](char32_t c) { return c >= U'A' && c <= U'Z' ? c + 32 : c; }, patterns,
                       exceptions, 2, 3};

    for (int i = 1; i < argc; ++i) {
        std::u32string word;
        for (const char* p = argv[i]; *p; ++p)
            word += static_cast<unsigned char>(*p); // ASCII
        std::string line;
        for (const auto& piece : hyphenate(h, word)) {
            if (!line.empty()) line += '-';
            for (char32_t c : piece)
                line += static_cast<char>(c);
        }
        std::cout << line << '\n';
    }
}
