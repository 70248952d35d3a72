// Finding an embedded data file by name in the table the build generates.
// This file's external interface is embeddedFiles, findEmbeddedFile and
// dataFileText.
#include "detail/data/EmbeddedFiles.hpp"

#include "detail/data/Gzip.hpp"

#include <algorithm>

namespace Text::Sillabor::detail {

// Generated at build time from the data folder, by tools/embed_data.cpp.
extern const EmbeddedFile embeddedFileTable[];
extern const std::size_t embeddedFileCount;

std::span<const EmbeddedFile> embeddedFiles() noexcept {
    return {embeddedFileTable, embeddedFileCount};
}

std::optional<std::string_view> findEmbeddedFile(std::string_view name) noexcept {
    // The names are sorted and unique, so the first equal name is the only one.
    const std::span<const EmbeddedFile> files = embeddedFiles();
    auto it =
        std::lower_bound(files.begin(), files.end(), name,
                         [](const EmbeddedFile& f, std::string_view n) { return f.name < n; });
    if (it == files.end() || it->name != name) return std::nullopt;
    return it->bytes;
}

std::string dataFileText(std::string_view stored, std::string_view name) {
    return gunzip(stored, name);
}

} // namespace Text::Sillabor::detail
