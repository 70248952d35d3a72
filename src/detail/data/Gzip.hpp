// Decompression of gzip data.
#pragma once

#include <string>
#include <string_view>

namespace Text::Sillabor::detail {

/// The decompressed bytes of `data`: one gzip member, or several in a row.
/// Throws std::runtime_error naming `what` and zlib's complaint when the data
/// is not gzip or ends early. Header fields (stored name, time) are ignored.
std::string gunzip(std::string_view data, std::string_view what);

} // namespace Text::Sillabor::detail
