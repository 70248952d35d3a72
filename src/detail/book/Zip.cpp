// The libzip calls, with their errors turned into EpubError. This file's
// external interface is ZipArchive.
#include "detail/book/Zip.hpp"

#include "Text/Sillabor/Epub.hpp"

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace Text::Sillabor::detail {

namespace {

std::string errorText(int code) {
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    std::string text = zip_error_strerror(&e);
    zip_error_fini(&e);
    return text;
}

// The bytes [offset, offset + length) of a file, deflated data of `size`
// bytes (`uncompressed`) with CRC `crc`, as a source of entry data that libzip copies as it
// is. It says nothing of the file's attributes (a file source would, and
// they would replace the entry's own), and gives the entry's timestamp.
struct FileRange {
    std::string path;
    std::uint64_t offset = 0, length = 0, done = 0, uncompressed = 0;
    std::uint32_t crc = 0;
    time_t mtime = 0;
    std::FILE* file = nullptr;
    zip_error_t error;

    static zip_int64_t call(void* self, void* data, zip_uint64_t size, zip_source_cmd_t command) {
        return static_cast<FileRange*>(self)->on(data, size, command);
    }

    zip_int64_t on(void* data, zip_uint64_t size, zip_source_cmd_t command) {
        switch (command) {
        case ZIP_SOURCE_OPEN:
            file = std::fopen(path.c_str(), "rb");
            if (!file || fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0)
                return failed(ZIP_ER_OPEN);
            done = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            const std::size_t n =
                static_cast<std::size_t>(std::min<zip_uint64_t>(size, length - done));
            if (n > 0 && std::fread(data, 1, n, file) != n) return failed(ZIP_ER_READ);
            done += n;
            return static_cast<zip_int64_t>(n);
        }
        case ZIP_SOURCE_CLOSE:
            if (file) std::fclose(file);
            file = nullptr;
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* st = static_cast<zip_stat_t*>(data);
            zip_stat_init(st);
            st->size = uncompressed;
            st->comp_size = length;
            st->crc = crc;
            st->mtime = mtime;
            st->comp_method = ZIP_CM_DEFLATE;
            st->encryption_method = ZIP_EM_NONE;
            st->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_MTIME |
                        ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&error, data, size);
        case ZIP_SOURCE_FREE:
            if (file) std::fclose(file);
            zip_error_fini(&error);
            delete this;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ,
                                                  ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            return failed(ZIP_ER_OPNOTSUPP);
        }
    }

    zip_int64_t failed(int code) {
        zip_error_set(&error, code, errno);
        return -1;
    }
};

} // namespace

ZipArchive::ZipArchive(const std::string& path, std::string name) : name_(std::move(name)) {
    int code = 0;
    archive_ = zip_open(path.c_str(), ZIP_CHECKCONS, &code);
    if (!archive_) {
        if (code == ZIP_ER_NOZIP) throw EpubError(name_ + ": not an EPUB (not a ZIP archive)");
        throw EpubError(name_ + ": not a readable ZIP archive (" + errorText(code) + ")");
    }
}

ZipArchive::~ZipArchive() {
    if (archive_) zip_discard(archive_);
}

void ZipArchive::fail(std::string_view what) const {
    throw EpubError(name_ + ": " + std::string(what) + " (" + zip_strerror(archive_) + ")");
}

std::size_t ZipArchive::size() const {
    return static_cast<std::size_t>(zip_get_num_entries(archive_, 0));
}

std::string_view ZipArchive::name(std::size_t index) const {
    const char* n = zip_get_name(archive_, index, ZIP_FL_ENC_RAW);
    return n ? std::string_view(n) : std::string_view{};
}

std::optional<std::size_t> ZipArchive::find(const std::string& name) const {
    const zip_int64_t i = zip_name_locate(archive_, name.c_str(), ZIP_FL_ENC_RAW);
    if (i < 0) return std::nullopt;
    return static_cast<std::size_t>(i);
}

bool ZipArchive::encrypted(std::size_t index) const {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive_, index, 0, &st) != 0) fail("cannot read an entry's header");
    return (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
}

std::string ZipArchive::read(std::size_t index) const {
    const std::string entry(name(index));
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive_, index, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        fail("cannot read the header of " + entry);
    zip_file_t* f = zip_fopen_index(archive_, index, 0);
    if (!f) fail("cannot read " + entry);
    std::string bytes(static_cast<std::size_t>(st.size), '\0');
    const zip_int64_t n = bytes.empty() ? 0 : zip_fread(f, bytes.data(), bytes.size());
    char extra;
    const bool longer = n >= 0 && zip_fread(f, &extra, 1) > 0;
    std::string problem;
    if (n < 0 || static_cast<zip_uint64_t>(n) != st.size || longer)
        problem = std::string(zip_file_strerror(f));
    zip_fclose(f);
    if (!problem.empty()) throw EpubError(name_ + ": cannot read " + entry + " (" + problem + ")");
    return bytes;
}

void ZipArchive::replace(std::size_t index, const std::string& path, std::uint64_t offset,
                         std::uint64_t compressedSize, std::uint64_t size, std::uint32_t crc) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive_, index, 0, &st) != 0) fail("cannot read an entry's header");
    auto* range = new FileRange;
    range->path = path;
    range->offset = offset;
    range->length = compressedSize;
    range->uncompressed = size;
    range->crc = crc;
    range->mtime = (st.valid & ZIP_STAT_MTIME) ? st.mtime : time(nullptr);
    zip_error_init(&range->error);
    zip_source_t* source = zip_source_function(archive_, &FileRange::call, range);
    if (!source) {
        zip_error_fini(&range->error);
        delete range;
        fail("cannot read the hyphenated chapters back");
    }
    if (zip_file_replace(archive_, index, source, 0) != 0) {
        zip_source_free(source);
        fail("cannot replace " + std::string(name(index)));
    }
    if (zip_set_file_compression(archive_, index, ZIP_CM_DEFLATE, 0) != 0)
        fail("cannot set the compression of " + std::string(name(index)));
}

void ZipArchive::close() {
    if (zip_close(archive_) != 0) fail("cannot write the book");
    archive_ = nullptr;
}

} // namespace Text::Sillabor::detail
