// The data files compiled into the library: for each language variant its
// character, exception, licence and pattern file, each one gzip member. (A
// build without embedded data finds the files the program provides through
// the same functions: ProvidedFiles.hpp.)
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace Text::Sillabor::detail {

/// One embedded file: its name ("hyph-en-us.pat.txt.gz") and its gzip bytes,
/// which lie in the library's constant data.
struct EmbeddedFile {
    std::string_view name;
    std::string_view bytes;
};

/// The 292 files, in ascending order of name, byte by byte. Constant data:
/// nothing is built at load time.
std::span<const EmbeddedFile> embeddedFiles() noexcept;

/// The bytes of the file named exactly `name`, or nothing.
std::optional<std::string_view> findEmbeddedFile(std::string_view name) noexcept;

/// The text of a data file from its stored bytes: decompressed (gzip) where
/// the build embeds the data, as they are where the program provides it.
/// Throws std::runtime_error naming `name` when the bytes cannot be read.
std::string dataFileText(std::string_view stored, std::string_view name);

} // namespace Text::Sillabor::detail
