// hyph_*.dic files -> the reader, both levels and the replacement rules,
// through the C++ interface and the libhyphen-compatible functions. No crash,
// nothing written past the buffers libhyphen's callers allocate, and breaks
// that make sense: in order, inside the word, each replacement around its
// break, and the pieces of plain breaks joining to the word.
//
// Input: a first byte choosing the header (UTF-8, ISO8859-2, or none), the
// file's text up to a 0xFF byte, then words, one a line.
#include "Text/Sillabor/Dictionary.hpp"
#include "detail/support/Text.hpp"
#include "hyphen.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "FuzzInput.hpp"

using namespace Text::Sillabor;

namespace {

void checkBreaks(const std::u32string& word, const std::vector<Break>& found) {
    std::size_t last = 0;
    for (const Break& b : found) {
        if (b.at <= last || b.at >= word.size() + (word.empty() ? 1 : 0))
            sillabor_fuzz::finding("break place");
        if (b.from > b.at || b.to < b.at || b.to > word.size())
            sillabor_fuzz::finding("replacement span");
        last = b.at;
    }
    bool plainOnly = true;
    for (const Break& b : found)
        plainOnly = plainOnly && b.plain();
    if (plainOnly) {
        std::u32string joined;
        for (const auto& p : applyBreaks(word, found))
            joined += p;
        if (joined != word) sillabor_fuzz::finding("pieces of plain breaks");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view all(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t split = std::min(all.find('\xFF'), all.size());
    std::string file = data[0] % 3 == 0 ? "UTF-8\n" : data[0] % 3 == 1 ? "ISO8859-2\n" : "";
    file += all.substr(0, split);
    const std::string_view rest = split < all.size() ? all.substr(split + 1) : std::string_view{};

    // Every file reads, as the files' other readers read them.
    const auto dict = std::make_unique<Dictionary>(parseDictionary(file));
    FILE* f = fmemopen(file.data(), file.size(), "rb");
    HyphenDict* compat = f ? hnj_hyphen_load_file(f) : nullptr;
    if (f) std::fclose(f);
    if (!compat && f) sillabor_fuzz::finding("the compatible loader refused a file");

    for (std::size_t start = 0; start <= rest.size();) {
        const std::size_t end = std::min(rest.find('\n', start), rest.size());
        const std::string word(rest.substr(start, end - start));
        start = end + 1;
        const std::u32string wide = detail::decodeUtf8Lenient(word);
        checkBreaks(wide, dict->breaks(wide));

        if (!compat) continue;
        const int n = static_cast<int>(word.size());
        // Exactly the sizes libhyphen documents, so that the sanitizer sees
        // any write past them.
        std::vector<char> hyphens(word.size() + 5), hyphword(2 * word.size() + 1);
        char** rep = nullptr;
        int *pos = nullptr, *cut = nullptr;
        for (int call = 0; call < 3; ++call) {
            if (call == 0)
                hnj_hyphen_hyphenate2(compat, word.data(), n, hyphens.data(), hyphword.data(), &rep,
                                      &pos, &cut);
            else if (call == 1)
                hnj_hyphen_hyphenate3(compat, word.data(), n, hyphens.data(), hyphword.data(), &rep,
                                      &pos, &cut, 1, 1, 1, 1);
            else
                hnj_hyphen_hyphenate(compat, word.data(), n, hyphens.data());
            if (std::strlen(hyphword.data()) > 2 * word.size())
                sillabor_fuzz::finding("hyphenated word length");
            if (rep) {
                for (int i = 0; i < n; ++i)
                    std::free(rep[i]);
                std::free(rep), std::free(pos), std::free(cut);
                rep = nullptr, pos = nullptr, cut = nullptr;
            }
        }
        if (start > rest.size()) break;
    }
    if (compat) hnj_hyphen_free(compat);
    return 0;
}
