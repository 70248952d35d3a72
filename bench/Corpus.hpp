// Reading the benchmark corpora: gzip files and word lists from the shared
// folder beside the checkout.
#pragma once

#include "Text/Sillabor/detail/Text.hpp"

#include <zlib.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace sillabor_bench {

inline std::string sharedPath(const std::string& relative) {
    return std::string(SILLABOR_SHARED_DIR) + "/" + relative;
}

/// The decompressed contents of a gzip file.
inline std::string readGzip(const std::string& path) {
    gzFile f = gzopen(path.c_str(), "rb");
    if (!f) throw std::runtime_error("cannot open " + path);
    std::string out;
    char buffer[1 << 16];
    int n = 0;
    while ((n = gzread(f, buffer, sizeof buffer)) > 0)
        out.append(buffer, static_cast<std::size_t>(n));
    gzclose(f);
    if (n < 0) throw std::runtime_error("cannot decompress " + path);
    return out;
}

/// The lines of a UTF-8 text file, decoded, at most `limit` of them.
inline std::vector<std::u32string> readWords(const std::string& path,
                                             std::size_t limit = static_cast<std::size_t>(-1)) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::vector<std::u32string> words;
    for (std::string line; words.size() < limit && std::getline(in, line);)
        if (!line.empty()) words.push_back(Text::Sillabor::detail::decodeUtf8Lenient(line));
    return words;
}

} // namespace sillabor_bench
