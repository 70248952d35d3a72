// The language loader's internal face: loading from other data files, and
// reading one. The engine knows nothing of it; the loader gives each
// hyphenator a CharacterMap made from the character file on first use.
#pragma once

#include "Text/Sillabor/Hyphenator.hpp"
#include "Text/Sillabor/Language.hpp"
#include "detail/engine/PatternsRep.hpp"
#include "detail/exceptions/ExceptionsRep.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Text::Sillabor::detail {

/// Finds a data file's gzip bytes by name.
using FileLookup = std::function<std::optional<std::string_view>(std::string_view name)>;

/// `loadHyphenator` with the data files taken from `lookup` instead of the
/// embedded table.
Hyphenator loadHyphenator(Language language, FileLookup lookup);

/// The text of a language's data file: found, decompressed and decoded.
/// Throws std::runtime_error "Could not find <name>" when `lookup` has no
/// such file.
std::u32string readDataFile(const FileLookup& lookup, Language language, std::string_view suffix);

} // namespace Text::Sillabor::detail
