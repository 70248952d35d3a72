// The reference hyphenator of a built-in language: the simple scorer of
// ReferenceScorer.hpp over the same decoded data files as the library's.
#pragma once

#include "ReferenceScorer.hpp"

#include "Text/Sillabor/Language.hpp"
#include "detail/data/EmbeddedFiles.hpp"
#include "detail/data/Loader.hpp"

#include <memory>

namespace sillabor_reference {

struct Language {
    explicit Language(Text::Sillabor::Language l) {
        namespace detail = Text::Sillabor::detail;
        const detail::FileLookup files = detail::findEmbeddedFile;
        trie = std::make_unique<Trie>(detail::readDataFile(files, l, ".pat.txt.gz"));
        const Text::Sillabor::Hyphenator& h = Text::Sillabor::languageHyphenator(l);
        hyphenator =
            Hyphenator{normaliser(detail::readDataFile(files, l, ".chr.txt.gz")), trie.get(),
                       exceptions(detail::readDataFile(files, l, ".hyp.txt.gz")),
                       h.hyphenatorLeftMin, h.hyphenatorRightMin};
    }
    std::unique_ptr<Trie> trie;
    Hyphenator hyphenator;
};

} // namespace sillabor_reference
