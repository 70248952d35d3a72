// Hyphenates words with one of the 73 built-in languages.
//
//     ready_made de-1996 Silbentrennung Übergrößenträger
//     Sil-ben-tren-nung
//     Über-grö-ßen-trä-ger
#include <Text/Sillabor.hpp>

#include <iostream>

using namespace Text::Sillabor;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: ready_made LANGUAGE WORD...\n";
        return 2;
    }
    // A language by enumerator name, file code or tag: "German_1996", "de-1996", "de".
    const std::optional<Language> language = languageByName(argv[1]);
    if (!language) {
        std::cerr << "unknown language " << argv[1] << '\n';
        return 2;
    }
    // The ready-made hyphenator: built on first use, then shared.
    const Hyphenator& h = languageHyphenator(*language);
    for (int i = 2; i < argc; ++i) {
        std::string line;
        for (const std::string& piece : hyphenate(h, std::string_view(argv[i])))
            line += (line.empty() ? "" : "-") + piece;
        std::cout << line << '\n';
    }
}
