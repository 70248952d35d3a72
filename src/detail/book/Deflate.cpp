// Compressing a chapter with zlib. This file's external interface is
// deflateRaw.
#include "detail/book/Deflate.hpp"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace Text::Sillabor::detail {

Deflated deflateRaw(std::string_view bytes) {
    Deflated out{{}, 0, bytes.size()};
    // crc32 and deflate take lengths of unsigned int: long chapters go in
    // steps.
    constexpr std::size_t step = std::numeric_limits<uInt>::max() / 2;
    uLong crc = crc32(0, nullptr, 0);
    for (std::size_t at = 0; at < bytes.size(); at += step) {
        const std::size_t n = std::min(step, bytes.size() - at);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data() + at), static_cast<uInt>(n));
    }
    out.crc = static_cast<std::uint32_t>(crc);

    z_stream z{};
    if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK)
        throw std::runtime_error("cannot start deflate");
    struct End {
        z_stream& z;
        ~End() { deflateEnd(&z); }
    } end{z};
    out.data.resize(deflateBound(&z, static_cast<uLong>(std::min(bytes.size(), step))) + 64);
    std::size_t in = 0; // bytes handed to zlib
    for (int status = Z_OK; status != Z_STREAM_END;) {
        if (z.avail_in == 0 && in < bytes.size()) {
            const std::size_t n = std::min(step, bytes.size() - in);
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + in));
            z.avail_in = static_cast<uInt>(n);
            in += n;
        }
        if (z.total_out == out.data.size()) out.data.resize(out.data.size() * 2);
        z.next_out = reinterpret_cast<Bytef*>(out.data.data() + z.total_out);
        z.avail_out = static_cast<uInt>(
            std::min<std::size_t>(out.data.size() - z.total_out, std::numeric_limits<uInt>::max()));
        status = deflate(&z, in == bytes.size() ? Z_FINISH : Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
            throw std::runtime_error("deflate failed");
    }
    out.data.resize(z.total_out);
    return out;
}

} // namespace Text::Sillabor::detail
