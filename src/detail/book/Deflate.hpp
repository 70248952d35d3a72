// Raw deflate, as ZIP entries hold it, at zlib's default level: libzip's own
// compression of a replaced entry is its slowest (level 9), so chapters are
// compressed here, where another thread can do it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Text::Sillabor::detail {

struct Deflated {
    std::string data;   // the deflate stream
    std::uint32_t crc;  // CRC-32 of the bytes before
    std::uint64_t size; // their length
};

/// `bytes` deflated at zlib's default level, with their CRC-32.
Deflated deflateRaw(std::string_view bytes);

} // namespace Text::Sillabor::detail
