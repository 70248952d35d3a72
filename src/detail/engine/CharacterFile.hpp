// The one reader of a language's character file (hyph-<code>.chr.txt): each
// line is a small letter followed by its upper-case form. The character map
// and the word characters of running text are both read from it. This file's
// external interface is CharacterFile.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Text::Sillabor::detail {

struct CharacterFile {
    /// Every character the file lists: the letters of the language.
    std::u32string letters;
    /// The small letters that have an upper-case form of their own, and
    /// those forms (all their characters).
    std::u32string smalls, capitals;
    /// (form, letter) for each line whose upper-case form is one character,
    /// in the order of the lines. A form of several characters ("ßSS") is
    /// left out: each of its characters is the capital of some other letter.
    std::vector<std::pair<char32_t, char32_t>> lowering;

    static CharacterFile parse(std::u32string_view text);
};

} // namespace Text::Sillabor::detail
