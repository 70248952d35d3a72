// Inserts soft hyphens (U+00AD) into UTF-8 text, from standard input to
// standard output, streaming: every word gets one at each break, and
// everything else passes through unchanged.
//
//     soft_hyphens en-us < page.html > hyphenated.html
#include <Text/Sillabor.hpp>

#include <cstdio>
#include <iostream>

using namespace Text::Sillabor;

int main(int argc, char** argv) {
    const std::optional<Language> language = languageByName(argc > 1 ? argv[1] : "en-us");
    if (!language) {
        std::cerr << "unknown language\n";
        return 2;
    }
    TextHyphenator text(languageHyphenator(*language), WordCharacters::of(*language), "\u00ad");
    std::string in(1 << 16, '\0'), out;
    try {
        while (std::size_t n = std::fread(in.data(), 1, in.size(), stdin)) {
            out.clear();
            text.feed(std::string_view(in.data(), n), out);
            std::fwrite(out.data(), 1, out.size(), stdout);
        }
        out.clear();
        text.finish(out);
        std::fwrite(out.data(), 1, out.size(), stdout);
    } catch (const InvalidUtf8& e) {
        std::fwrite(out.data(), 1, out.size(), stdout); // what came before the bad byte
        std::cerr << e.what() << '\n';
        return 1;
    }
}
