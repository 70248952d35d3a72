// The language loader: a hyphenator whose character map, patterns and
// exceptions are read from the data files when first needed. This file's
// external interface is loadHyphenator and detail::readDataFile.
#include "Text/Sillabor/Language.hpp"

#include "detail/data/EmbeddedFiles.hpp"
#include "detail/data/LanguageFacts.hpp"
#include "detail/data/Loader.hpp"
#include "detail/engine/PatternsRep.hpp"
#include "detail/support/Text.hpp"

#include <algorithm>
#include <atomic>
#include <stdexcept>

namespace Text::Sillabor {

namespace detail {

namespace {

// The text of a data file, as UTF-8 bytes.
std::string readBytes(const FileLookup& lookup, Language language, std::string_view suffix) {
    const std::string name = "hyph-" + std::string(languageAffix(language)) + std::string(suffix);
    const std::optional<std::string_view> bytes = lookup(name);
    if (!bytes) throw std::runtime_error("Could not find " + name);
    return dataFileText(*bytes, name);
}

// The patterns of a language, parsed a line at a time from the decompressed
// bytes, so that the decoded text never exists in full.
Patterns readPatterns(const FileLookup& lookup, Language language) {
    std::string bytes = readBytes(lookup, language, ".pat.txt.gz");
    // The whole file first, in one pass: its lines, and whether it is ASCII
    // (most are; the others are looked at line by line).
    std::size_t lines = 0;
    unsigned char high = 0;
    for (char b : bytes) {
        lines += b == '\n' ? 1 : 0;
        high |= static_cast<unsigned char>(b);
    }
    const bool asciiFile = high < 0x80;
    auto ascii = [](std::string_view text) {
        unsigned char bits = 0;
        for (char b : text)
            bits |= static_cast<unsigned char>(b);
        return bits < 0x80;
    };
    PatternParser parser(lines);
    std::u32string line;
    forEachLine(std::string_view(bytes), [&](std::string_view raw) {
        if (asciiFile || ascii(raw)) {
            parser.line(raw); // ASCII: bytes are code points
        } else {
            decodeUtf8Lenient(raw, line);
            parser.line(line);
        }
    });
    bytes = std::string(); // the text is done with before the parsed trie is kept
    return parser.finish();
}

} // namespace

std::u32string readDataFile(const FileLookup& lookup, Language language, std::string_view suffix) {
    return decodeUtf8Lenient(readBytes(lookup, language, suffix));
}

Hyphenator loadHyphenator(Language language, FileLookup lookup) {
    const LanguageFacts& facts = languageFacts[static_cast<std::size_t>(fromEnum(language))];
    // Each table is decoded from its file when it is first needed; building
    // the record itself touches no data.
    return Hyphenator{
        CharacterMap::deferred([lookup, language] {
            return CharacterMap::fromText(readDataFile(lookup, language, ".chr.txt.gz"));
        }),
        Patterns::deferred([lookup, language] { return readPatterns(lookup, language); }),
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
