// The facts of each language variant, in the order of the enumeration, as a
// constant table made from the rows of Languages.def: what the loader, the
// catalogue, languageByName and the build's data tool read.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace Text::Sillabor::detail {

struct LanguageFacts {
    std::string_view name;    // the enumerator
    std::string_view affix;   // the code the data files are named after
    std::string_view tag;     // a shorter tag that names the variant too, or ""
    int leftMin;              // least characters before the first break
    int rightMin;             // least characters after the last break
    std::string_view licence; // of its data files, as its lic file states it
};

inline constexpr std::array languageFacts{
#define SILLABOR_LANGUAGE(enumerator, readyMade, code, tag, leftMin, rightMin, licence)            \
    LanguageFacts{#enumerator, code, tag, leftMin, rightMin, licence},
#include "Text/Sillabor/Languages.def"
};

inline constexpr std::size_t languageCount = languageFacts.size();

/// The four kinds of data file of every variant, in the order of their names.
inline constexpr std::array<std::string_view, 4> dataKinds{"chr", "hyp", "lic", "pat"};

} // namespace Text::Sillabor::detail
