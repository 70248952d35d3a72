// The UTF-8 face of the library, for callers who hold their text in
// std::string: hyphenation of UTF-8 words and strict conversions.
//
//     hyphenate(english_US, "Typesetting");   // {"Type", "set", "ting"}
#pragma once

#include "Text/Sillabor/Export.hpp"

#include "Text/Sillabor/Hyphenator.hpp"
#include "Text/Sillabor/Language.hpp"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Text::Sillabor {

/// Bytes that are not UTF-8. `offset()` is the position of the first byte of
/// the bad sequence; the message says what is wrong and where.
class SILLABOR_API InvalidUtf8 : public std::invalid_argument {
public:
    InvalidUtf8(std::size_t offset, std::string_view problem);
    std::size_t offset() const noexcept { return offset_; }
    /// What is wrong, without the position ("overlong encoding", ...).
    const std::string& problem() const noexcept { return problem_; }

private:
    std::size_t offset_;
    std::string problem_;
};

/// Cuts a UTF-8 word like `hyphenate` cuts its code points, but for hard
/// hyphens (U+002D, U+2010): the parts between them are hyphenated each on
/// its own, and a hard hyphen with a part on either side ends a piece
/// itself ("co-operation": "co-", "op", "er", "a", "tion"), so that no
/// separator need go beside it. The pieces concatenate to `word` byte for
/// byte. Throws InvalidUtf8 for bytes that are
/// not UTF-8 (a bad lead byte, a sequence cut short, an overlong form, a
/// surrogate, a value above U+10FFFF): nothing is replaced silently.
SILLABOR_API std::vector<std::string> hyphenate(const Hyphenator& h, std::string_view word);

/// The code points of UTF-8 text. Throws InvalidUtf8.
SILLABOR_API std::u32string toUtf32(std::string_view utf8);

/// The UTF-8 form of code points. Throws std::invalid_argument for a
/// surrogate or a value above U+10FFFF, which UTF-8 cannot carry.
SILLABOR_API std::string toUtf8(std::u32string_view text);

/// The length of the valid UTF-8 prefix of `bytes`, stopping short of a final
/// sequence that is only cut off by the end (so that a stream can go on with
/// the next bytes). Throws InvalidUtf8 for anything else that is not UTF-8.
SILLABOR_API std::size_t validUtf8Prefix(std::string_view bytes);

} // namespace Text::Sillabor
