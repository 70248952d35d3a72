// Reading what the benchmarks measure on: the word lists that bench/words.sh
// makes from Debian's word lists (in SILLABOR_WORDS_DIR), and the embedded
// data files.
#pragma once

#include "detail/data/EmbeddedFiles.hpp"
#include "detail/data/Gzip.hpp"
#include "detail/support/Text.hpp"

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace sillabor_bench {

/// The path of a word list ("words-en.txt").
inline std::string wordList(const std::string& name) {
    return std::string(SILLABOR_WORDS_DIR) + "/" + name;
}

/// The text of an embedded data file ("hyph-en-us.pat.txt"), decoded.
inline std::u32string embeddedText(const std::string& name) {
    const auto bytes = Text::Sillabor::detail::findEmbeddedFile(name + ".gz");
    if (!bytes) throw std::runtime_error("the build embeds no " + name);
    return Text::Sillabor::detail::decodeUtf8Lenient(Text::Sillabor::detail::gunzip(*bytes, name));
}

/// The lines of a UTF-8 text file, decoded, at most `limit` of them.
inline std::vector<std::u32string> readWords(const std::string& path,
                                             std::size_t limit = static_cast<std::size_t>(-1)) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot open " + path + " (bench/words.sh makes it)");
    std::vector<std::u32string> words;
    for (std::string line; words.size() < limit && std::getline(in, line);)
        if (!line.empty()) words.push_back(Text::Sillabor::detail::decodeUtf8Lenient(line));
    return words;
}

} // namespace sillabor_bench
