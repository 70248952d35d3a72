// Small text helpers the modules share: UTF-8 decoding (strict and
// lenient) and the pieces of the values' text forms. This file's external
// interface is Text.hpp's functions.
#include "detail/support/Text.hpp"

#include "Text/Sillabor/Utf8.hpp"

#include <array>
#include <charconv>

namespace Text::Sillabor::detail {

void appendUtf8(std::string& out, std::u32string_view text) {
    for (char32_t c : text) {
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
}

std::string toUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    appendUtf8(out, text);
    return out;
}

namespace {

bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// The length of the well-formed sequence that starts at `s[i]`, or 0 when the
// bytes there are not one. The ranges are those of the Unicode standard's
// table of well-formed byte sequences: no overlong forms, no surrogates,
// nothing above U+10FFFF.
std::size_t wellFormedLength(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    const std::size_t left = s.size() - i;
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    if (b0 >= 0xC2 && b0 <= 0xDF) return left >= 2 && isContinuation(at(1)) ? 2 : 0;
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3) return 0;
        const unsigned char lo = b0 == 0xE0 ? 0xA0 : 0x80;
        const unsigned char hi = b0 == 0xED ? 0x9F : 0xBF;
        return at(1) >= lo && at(1) <= hi && isContinuation(at(2)) ? 3 : 0;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4) return 0;
        const unsigned char lo = b0 == 0xF0 ? 0x90 : 0x80;
        const unsigned char hi = b0 == 0xF4 ? 0x8F : 0xBF;
        return at(1) >= lo && at(1) <= hi && isContinuation(at(2)) && isContinuation(at(3)) ? 4 : 0;
    }
    return 0;
}

} // namespace

std::u32string decodeUtf8Lenient(std::string_view bytes) {
    std::u32string out;
    decodeUtf8Lenient(bytes, out);
    return out;
}

void decodeUtf8Lenient(std::string_view bytes, std::u32string& out) {
    out.resize(bytes.size()); // never more characters than bytes
    char32_t* o = out.data();
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        if (b0 < 0x80) {
            *o++ = b0;
            ++i;
            continue;
        }
        const std::size_t len = wellFormedLength(bytes, i);
        if (len == 0) {
            *o++ = b0; // not UTF-8: the byte stands for itself, as in ISO 8859-1
            ++i;
            continue;
        }
        char32_t c = b0 & (0xFF >> (len + 1));
        for (std::size_t k = 1; k < len; ++k)
            c = (c << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        *o++ = c;
        i += len;
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
}

Decoded decodeStrict(std::string_view bytes, std::size_t i, bool partialAtEnd) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) return {b0, 1};
    std::size_t length = 0;
    unsigned char lo = 0x80, hi = 0xBF; // the range of the second byte
    if (b0 < 0xC0) throw InvalidUtf8(i, "unexpected continuation byte");
    if (b0 < 0xC2) throw InvalidUtf8(i, "overlong encoding");
    if (b0 < 0xE0) {
        length = 2;
    } else if (b0 < 0xF0) {
        length = 3;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 < 0xF5) {
        length = 4;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else if (b0 < 0xF8) {
        throw InvalidUtf8(i, "code point above U+10FFFF");
    } else {
        throw InvalidUtf8(i, "byte that never occurs in UTF-8");
    }
    char32_t c = b0 & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if (i + k == bytes.size()) {
            if (partialAtEnd) return {0, 0};
            throw InvalidUtf8(i, "sequence cut short by the end of the text");
        }
        const auto b = static_cast<unsigned char>(bytes[i + k]);
        if ((b & 0xC0) != 0x80) throw InvalidUtf8(i, "sequence cut short");
        if (k == 1 && (b < lo || b > hi)) {
            if (b0 == 0xED) throw InvalidUtf8(i, "surrogate code point");
            if (b0 == 0xF4) throw InvalidUtf8(i, "code point above U+10FFFF");
            throw InvalidUtf8(i, "overlong encoding");
        }
        c = (c << 6) | (b & 0x3F);
    }
    return {c, length};
}

std::size_t invalidLength(std::string_view bytes, std::size_t i) noexcept {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    unsigned char lo = 0x80, hi = 0xBF; // the range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        return 1;
    }
    std::size_t k = 1;
    for (; k < length && i + k < bytes.size(); ++k) {
        const auto b = static_cast<unsigned char>(bytes[i + k]);
        if (k == 1 ? (b < lo || b > hi) : (b & 0xC0) != 0x80) break;
    }
    return k;
}

std::size_t decodeStrictInto(std::string_view bytes, char32_t* out) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        if (b0 < 0x80) {
            out[n++] = b0;
            ++i;
        } else {
            const Decoded d = decodeStrict(bytes, i);
            out[n++] = d.c;
            i += d.length;
        }
    }
    return n;
}

void appendScores(std::string& out, std::span<const Score> scores) {
    out.push_back('[');
    std::array<char, 24> digits{};
    for (std::size_t i = 0; i < scores.size(); ++i) {
        if (i != 0) out.push_back(',');
        auto [end, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), scores[i]);
        out.append(digits.data(), end);
    }
    out.push_back(']');
}

void appendQuoted(std::string& out, std::u32string_view text) {
    static constexpr std::string_view named = "abtnvfr"; // escapes for U+0007 to U+000D
    out.push_back('"');
    bool afterNumber = false; // the last thing written was a decimal escape
    for (char32_t c : text) {
        if (afterNumber && c >= U'0' && c <= U'9') out += "\\&";
        afterNumber = false;
        if (c == U'"' || c == U'\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else if (c >= 0x07 && c <= 0x0D) {
            out.push_back('\\');
            out.push_back(named[c - 0x07]);
        } else {
            out.push_back('\\');
            out += std::to_string(static_cast<unsigned long>(c));
            afterNumber = true;
        }
    }
    out.push_back('"');
}

} // namespace Text::Sillabor::detail
