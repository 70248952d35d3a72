// The data decoder on arbitrary bytes: gunzip either decompresses or throws
// std::runtime_error, and the lenient UTF-8 decoding never fails, gives no
// more characters than bytes, and agrees with the strict one on valid input.
#include "Text/Sillabor/Utf8.hpp"
#include "detail/data/Gzip.hpp"
#include "detail/support/Text.hpp"

#include <stdexcept>

using namespace Text::Sillabor;

namespace {
[[noreturn]] void finding(const char* what) {
    __builtin_printf("finding: %s\n", what);
    __builtin_trap();
}

void checkDecoding(std::string_view bytes) {
    const std::u32string lenient = detail::decodeUtf8Lenient(bytes);
    if (lenient.size() > bytes.size()) finding("more characters than bytes");
    for (char32_t c : lenient)
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) finding("a code point UTF-8 cannot hold");
    try {
        if (toUtf32(bytes) != lenient) finding("lenient and strict differ on valid input");
    } catch (const InvalidUtf8&) {
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkDecoding(bytes);
    try {
        checkDecoding(detail::gunzip(bytes, "fuzz"));
    } catch (const std::runtime_error&) {
    }
    return 0;
}
