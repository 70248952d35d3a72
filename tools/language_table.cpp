// Writes docs/languages.md, the documentation's table of language variants,
// from the rows of Languages.def, or checks that the file is what it would
// write.
//
//     language_table                 the page, on standard output
//     language_table --write FILE    the page, into FILE
//     language_table --check FILE    status 1, naming the first line that
//                                    differs, when FILE is not that page
#include "detail/data/LanguageFacts.hpp"

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

using Text::Sillabor::detail::languageFacts;

std::string page() {
    std::ostringstream out;
    out << "# Languages\n\n"
           "<!-- Written by tools/language_table.cpp from include/Text/Sillabor/Languages.def;\n"
           "     `cmake --build build/test --target language-table` writes it again. -->\n\n"
           "The library embeds the hyphenation patterns and exceptions of the hyph-utf8\n"
           "collection for "
        << languageFacts.size()
        << " language variants. Each has an enumerator of `Language`, a\n"
           "ready-made hyphenator, and the code its data files are named after\n"
           "(`hyph-<code>.pat.txt`). `languageByName`, the tool's `-l` and the Python\n"
           "package read the enumerator, the code, the shorter tag where there is one,\n"
           "and the usual tag spellings (`en-US`, `de_CH_1901`, `fr-FR`), in any case.\n"
           "`left` and `right` are the least characters before the first break and\n"
           "after the last. The licence is the one the variant's `lic` file states;\n"
           "\"permissive\" means free use, copy, change and distribution. The texts of\n"
           "the `lic` files are in `data/hyph-utf8/` and are installed with the\n"
           "library.\n\n"
           "| # | `Language` | ready-made value | code | tag | left | right | licence |\n"
           "|---|---|---|---|---|---|---|---|\n";
    for (std::size_t i = 0; i < languageFacts.size(); ++i) {
        const auto& l = languageFacts[i];
        std::string readyMade(l.name);
        readyMade[0] = static_cast<char>(readyMade[0] - 'A' + 'a');
        out << "| " << i << " | `" << l.name << "` | `" << readyMade << "` | " << l.affix << " | "
            << l.tag << " | " << l.leftMin << " | " << l.rightMin << " | " << l.licence << " |\n";
    }
    return out.str();
}

} // namespace

int main(int argc, char** argv) {
    const std::string expected = page();
    if (argc == 1) {
        std::cout << expected;
        return 0;
    }
    const std::string mode = argc == 3 ? argv[1] : "";
    if (mode == "--write") {
        std::ofstream(argv[2], std::ios::binary) << expected;
        return 0;
    }
    if (mode != "--check") {
        std::cerr << "usage: language_table [--write FILE | --check FILE]\n";
        return 2;
    }
    std::ifstream in(argv[2], std::ios::binary);
    const std::string actual((std::istreambuf_iterator<char>(in)), {});
    if (actual == expected) return 0;
    std::istringstream a(actual), e(expected);
    std::string lineA, lineE;
    for (int line = 1;; ++line) {
        const bool moreA = static_cast<bool>(std::getline(a, lineA));
        const bool moreE = static_cast<bool>(std::getline(e, lineE));
        if (!moreA && !moreE) break;
        if (!moreA || !moreE || lineA != lineE) {
            std::cerr << argv[2] << ":" << line << " differs from the table of languages:\n  has  "
                      << (moreA ? lineA : "(the end)") << "\n  want "
                      << (moreE ? lineE : "(the end)")
                      << "\nWrite it again with the target language-table.\n";
            break;
        }
    }
    return 1;
}
