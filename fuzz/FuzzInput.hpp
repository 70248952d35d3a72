// Turning a fuzzer's bytes into the inputs of the library: texts over a small
// alphabet, so that patterns, entries and words meet, with the odd code
// points users send (NUL, controls, surrogates, values past U+10FFFF).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sillabor_fuzz {

/// Reads the fuzzer's bytes front to back; runs out gracefully.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return at_ >= size_; }
    std::uint8_t byte() { return empty() ? 0 : data_[at_++]; }

    /// A small signed number, -4..11, for minima.
    std::ptrdiff_t minimum() { return static_cast<std::ptrdiff_t>(byte() % 16) - 4; }

    /// Code points up to the next 0xFF byte (or the end): each byte picks one
    /// from an alphabet of letters, digits, line feeds, hyphens and oddities.
    std::u32string text() {
        static constexpr char32_t alphabet[] = {
            U'a',          U'b',       U'c', U'd',      U'e',      U'.',     U'\n',  U'-',
            U'1',          U'2',       U'3', U'4',      U'5',      U'0',     U'9',   U'\u00e9',
            U'\U0001F600', 0,          0x7F, U'\r',     U' ',      0xD800,   0xDFFF, 0x10FFFF,
            0x110000,      0xFFFFFFFF, U'A', U'\u00ad', U'\u2010', U'\u0131'};
        std::u32string out;
        while (!empty()) {
            const std::uint8_t b = byte();
            if (b == 0xFF) break;
            out += alphabet[b % std::size(alphabet)];
        }
        return out;
    }

    /// The raw bytes up to the next 0xFF byte (or the end).
    std::string bytes() {
        std::string out;
        while (!empty()) {
            const std::uint8_t b = byte();
            if (b == 0xFF) break;
            out += static_cast<char>(b);
        }
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

/// Stops the fuzzer with a message: a finding.
[[noreturn]] inline void finding(const char* what) {
    __builtin_printf("finding: %s\n", what);
    __builtin_trap();
}

} // namespace sillabor_fuzz
