// A ZIP archive edited in place through libzip: entries are read whole,
// and replaced from a range of a file. On close, libzip writes the archive
// anew through a temporary file of its own, copying the compressed data of
// every entry that was not replaced as it was, with its name, place,
// timestamp and extra fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

struct zip;

namespace Text::Sillabor::detail {

class ZipArchive {
public:
    /// Opens the archive at `path` for reading and editing; `name` is what
    /// errors call it. Throws EpubError for a file that is not a whole ZIP.
    ZipArchive(const std::string& path, std::string name);
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;
    /// Discards the changes of an archive that was not closed.
    ~ZipArchive();

    std::size_t size() const;
    std::string_view name(std::size_t index) const;
    std::optional<std::size_t> find(const std::string& name) const;
    /// Whether the entry's data is encrypted (ZIP's own encryption).
    bool encrypted(std::size_t index) const;
    /// The entry's uncompressed bytes. Throws EpubError for data that does
    /// not inflate or whose checksum is wrong.
    std::string read(std::size_t index) const;
    /// From the next close on, the entry's data is bytes [offset, offset +
    /// compressedSize) of the file at `path`: a raw deflate stream of `size`
    /// bytes whose CRC-32 is `crc`, which libzip copies as it is. The entry
    /// keeps its timestamp and attributes.
    void replace(std::size_t index, const std::string& path, std::uint64_t offset,
                 std::uint64_t compressedSize, std::uint64_t size, std::uint32_t crc);
    /// Writes the archive, if anything was replaced. Throws EpubError.
    void close();

private:
    [[noreturn]] void fail(std::string_view what) const;
    zip* archive_;
    std::string name_;
};

} // namespace Text::Sillabor::detail
