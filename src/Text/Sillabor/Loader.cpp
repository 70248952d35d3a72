#include "Text/Sillabor/Language.hpp"

#include "Text/Sillabor/detail/EmbeddedFiles.hpp"
#include "Text/Sillabor/detail/Gzip.hpp"
#include "Text/Sillabor/detail/LanguageFacts.hpp"
#include "Text/Sillabor/detail/Loader.hpp"
#include "Text/Sillabor/detail/Text.hpp"

#include <atomic>
#include <stdexcept>

namespace Text::Sillabor {

namespace detail {

CharMap::CharMap() {
    static std::atomic<std::uint64_t> maps{0};
    id_ = maps.fetch_add(1, std::memory_order_relaxed) + 1;
}

CharMap CharMap::fromText(std::u32string_view text) {
    CharMap map;
    forEachLine(text, [&map](std::u32string_view line) {
        for (std::size_t i = 1; i < line.size(); ++i)
            map.table_.set(line[i], line[0]);
    });
    return map;
}

CharNormaliser::CharNormaliser(std::function<CharMap()> builder)
    : cell_(std::make_shared<Cell>(std::move(builder))) {}

const CharMap& CharNormaliser::map() const {
    return cell_->map.get([this] {
        auto builder = std::move(cell_->builder);
        cell_->builder = nullptr;
        return builder();
    });
}

bool CharNormaliser::built() const noexcept {
    return cell_->map.peek() != nullptr;
}

std::u32string readDataFile(const FileLookup& lookup, Language language, std::string_view suffix) {
    const std::string name = "hyph-" + std::string(languageAffix(language)) + std::string(suffix);
    const std::optional<std::string_view> bytes = lookup(name);
    if (!bytes) throw std::runtime_error("Could not find " + name);
    return decodeUtf8Lenient(gunzip(*bytes, name));
}

Hyphenator loadHyphenator(Language language, FileLookup lookup) {
    const LanguageFacts& facts = languageFacts[static_cast<std::size_t>(fromEnum(language))];
    // Each table is decoded from its file when it is first needed; building
    // the record itself touches no data.
    return Hyphenator{
        CharNormaliser([lookup, language] {
            return CharMap::fromText(readDataFile(lookup, language, ".chr.txt.gz"));
        }),
        Patterns::deferred([lookup, language] {
            return parsePatterns(readDataFile(lookup, language, ".pat.txt.gz"));
        }),
        Exceptions::deferred([lookup, language] {
            return parseExceptions(readDataFile(lookup, language, ".hyp.txt.gz"));
        }),
        facts.leftMin,
        facts.rightMin,
    };
}

} // namespace detail

Hyphenator loadHyphenator(Language language) {
    return detail::loadHyphenator(language, detail::findEmbeddedFile);
}

} // namespace Text::Sillabor
