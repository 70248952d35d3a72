// Small text helpers shared by the modules: UTF-8 for messages and data,
// and the pieces of the text forms.
#pragma once

#include "Text/Sillabor/Scores.hpp"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace Text::Sillabor::detail {

/// Appends `text` as UTF-8. Code points that UTF-8 cannot carry (surrogates,
/// values above U+10FFFF) are written as U+FFFD, so a message always holds
/// valid UTF-8 whatever word it quotes.
void appendUtf8(std::string& out, std::u32string_view text);

/// `text` as UTF-8, as `appendUtf8` writes it.
std::string toUtf8(std::u32string_view text);

/// Decodes bytes as UTF-8 and never fails: each byte that is not part of a
/// well-formed sequence becomes the code point of its own value (U+0000 to
/// U+00FF). A byte-order mark is kept.
std::u32string decodeUtf8Lenient(std::string_view bytes);
/// The same, into a string the caller reuses.
void decodeUtf8Lenient(std::string_view bytes, std::u32string& out);

/// A code point decoded from UTF-8, and the length of its sequence.
struct Decoded {
    char32_t c;
    std::size_t length;
};

/// The code point whose well-formed UTF-8 sequence starts at `bytes[i]`.
/// Throws InvalidUtf8 (with offset i) when the bytes there are not one. With
/// `partialAtEnd`, a sequence that is only cut short by the end of `bytes`
/// gives length 0 instead.
Decoded decodeStrict(std::string_view bytes, std::size_t i, bool partialAtEnd = false);

/// How many bytes from `bytes[i]` on make one ill-formed sequence, where
/// `decodeStrict` finds one there: the longest start of a well-formed
/// sequence, and at least the one byte (Unicode's "maximal subpart").
std::size_t invalidLength(std::string_view bytes, std::size_t i) noexcept;

/// The length of the sequence that a valid UTF-8 lead byte starts.
constexpr std::size_t sequenceLength(unsigned char lead) noexcept {
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

/// Decodes the UTF-8 `bytes` into `out`, which has room for `bytes.size()`
/// code points; returns how many it wrote. Throws InvalidUtf8.
std::size_t decodeStrictInto(std::string_view bytes, char32_t* out);

/// The byte offsets of character ends in valid UTF-8, found by walking it
/// once from the start.
class CharacterEnds {
public:
    explicit CharacterEnds(std::string_view bytes) noexcept : bytes_(bytes) {}
    /// The offset just past character `index`; asked in ascending order.
    std::size_t after(std::size_t index) noexcept {
        for (; walked_ <= index; ++walked_)
            at_ += sequenceLength(static_cast<unsigned char>(bytes_[at_]));
        return at_;
    }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;     // the end of the last character walked
    std::size_t walked_ = 0; // characters walked
};

/// Appends a score list as "[1,2,3]".
void appendScores(std::string& out, std::span<const Score> scores);

/// Appends `text` as a quoted string literal: printable ASCII as it is (with
/// '"' and '\' escaped), control characters as \n-style or decimal escapes,
/// everything above U+007E as a backslash and its decimal code point, and
/// "\&" between a decimal escape and a following ASCII digit.
void appendQuoted(std::string& out, std::u32string_view text);

/// "[", the text forms of `items` (as `show` writes each) joined by ",",
/// "]", then `rest`: the list form every value type shares.
template <class T, class Show>
std::string showListWith(std::span<const T> items, std::string_view rest, Show show) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i != 0) out += ',';
        out += show(items[i]);
    }
    out += ']';
    out += rest;
    return out;
}

/// Splits `text` (code points, or bytes) at line feeds. A final line feed
/// does not end an extra empty line, and an empty text has no lines. Calls
/// `line` with a view of each line, in order.
template <class Char, class Line>
void forEachLine(std::basic_string_view<Char> text, Line&& line) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(Char('\n'), start);
        if (end == std::basic_string_view<Char>::npos) end = text.size();
        line(text.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace Text::Sillabor::detail
