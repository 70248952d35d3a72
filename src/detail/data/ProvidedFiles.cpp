// The data files of a build without embedded data: a table that the program
// fills at run time (provideDataFile) and the loader reads through the same
// functions as the embedded table (findEmbeddedFile, dataFileText). This
// file's external interface is those three functions and embeddedFiles.
#include "detail/data/ProvidedFiles.hpp"
#include "detail/data/EmbeddedFiles.hpp"

#include <map>
#include <mutex>
#include <stdexcept>

namespace Text::Sillabor::detail {

namespace {

struct Table {
    std::mutex mutex;
    std::map<std::string, std::string, std::less<>> files; // nodes never move
};

Table& table() {
    static Table t;
    return t;
}

} // namespace

void provideDataFile(std::string name, std::string text) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    const auto [it, added] = t.files.try_emplace(std::move(name), std::move(text));
    if (!added && it->second != text)
        throw std::invalid_argument("the data file " + it->first +
                                    " was given already, with other content");
}

std::span<const EmbeddedFile> embeddedFiles() noexcept {
    return {};
}

std::optional<std::string_view> findEmbeddedFile(std::string_view name) noexcept {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    const auto it = t.files.find(name);
    if (it == t.files.end()) return std::nullopt;
    return std::string_view(it->second);
}

std::string dataFileText(std::string_view stored, std::string_view) {
    return std::string(stored);
}

} // namespace Text::Sillabor::detail
