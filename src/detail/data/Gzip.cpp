// Decompressing gzip data with zlib, member after member. This file's
// external interface is gunzip.
#include "detail/data/Gzip.hpp"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace Text::Sillabor::detail {

namespace {

[[noreturn]] void failure(std::string_view what, const char* message) {
    throw std::runtime_error("Could not decompress " + std::string(what) + ": " +
                             (message ? message : "invalid data"));
}

// The size the gzip trailer announces (modulo 2^32), as a first guess for
// the output, kept within reason for data that may not be what it claims.
std::size_t announcedSize(std::string_view data) {
    if (data.size() < 18) return 0;
    const auto* end = reinterpret_cast<const unsigned char*>(data.data() + data.size());
    const std::size_t size = std::size_t{end[-4]} | std::size_t{end[-3]} << 8 |
                             std::size_t{end[-2]} << 16 | std::size_t{end[-1]} << 24;
    return std::min(size, 64 * data.size() + 4096);
}

} // namespace

std::string gunzip(std::string_view data, std::string_view what) {
    std::string out;
    out.resize(announcedSize(data));
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) failure(what, z.msg);
    struct End {
        z_stream& z;
        ~End() { inflateEnd(&z); }
    } end{z};

    std::size_t consumed = 0, produced = 0;
    for (;;) {
        if (produced == out.size()) out.resize(std::max<std::size_t>(2 * out.size(), 4096));
        const std::size_t inChunk = std::min<std::size_t>(data.size() - consumed, UINT_MAX);
        const std::size_t outChunk = std::min<std::size_t>(out.size() - produced, UINT_MAX);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + consumed));
        z.avail_in = static_cast<uInt>(inChunk);
        z.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        z.avail_out = static_cast<uInt>(outChunk);
        const int status = inflate(&z, Z_NO_FLUSH);
        consumed += inChunk - z.avail_in;
        produced += outChunk - z.avail_out;
        if (status == Z_STREAM_END) {
            if (consumed == data.size()) break;
            if (inflateReset(&z) != Z_OK) failure(what, z.msg); // another member follows
            continue;
        }
        if (status == Z_BUF_ERROR && consumed == data.size() && z.avail_out != 0)
            failure(what, "unexpected end of data");
        if (status != Z_OK && status != Z_BUF_ERROR) failure(what, z.msg);
    }
    out.resize(produced);
    return out;
}

} // namespace Text::Sillabor::detail
