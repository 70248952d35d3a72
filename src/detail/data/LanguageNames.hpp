// Reading a language's name: the enumerator, the file code, or a tag. Shared
// by the library and by the build's data tool, which chooses variants by
// name before the library exists.
#pragma once

#include "detail/data/LanguageFacts.hpp"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace Text::Sillabor::detail {

/// `name` in lower case, with "_" as "-".
inline std::string lowerDashed(std::string_view name) {
    std::string out(name);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c == '_') c = '-';
    }
    return out;
}

/// The index in `languageFacts` of the variant that `key` (lower case,
/// dashed) names exactly.
inline std::optional<std::size_t> exactLanguageIndex(std::string_view key) {
    for (std::size_t i = 0; i < languageCount; ++i) {
        const LanguageFacts& facts = languageFacts[i];
        if (key == facts.affix || (!facts.tag.empty() && key == facts.tag) ||
            key == lowerDashed(facts.name))
            return i;
    }
    return std::nullopt;
}

/// The index in `languageFacts` of the variant `name` stands for: the
/// enumerator ("English_US"), the file code ("en-us"), or a tag ("en-US",
/// "de_CH_1901", "de", "fr-FR", "es-419"), in any case; or nothing.
inline std::optional<std::size_t> languageIndexByName(std::string_view name) {
    const std::string key = lowerDashed(name);
    if (auto i = exactLanguageIndex(key)) return i;
    // A language tag with a region ("fr-FR", "pt-BR", "de-AT"): try the
    // language alone.
    const std::size_t dash = key.find('-');
    if (dash == 2 || dash == 3) {
        const std::string_view region = std::string_view(key).substr(dash + 1);
        const bool isRegion =
            (region.size() == 2 &&
             region.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string_view::npos) ||
            (region.size() == 3 &&
             region.find_first_not_of("0123456789") == std::string_view::npos);
        if (isRegion) return exactLanguageIndex(std::string_view(key).substr(0, dash));
    }
    return std::nullopt;
}

} // namespace Text::Sillabor::detail
