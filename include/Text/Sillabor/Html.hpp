// Hyphenating HTML and XHTML: separators go into the text of the document
// and nowhere else. Tags, attribute values, comments, the doctype, CDATA
// sections and processing instructions are copied byte for byte, and so is
// everything inside `script`, `style`, `pre`, `code`, `kbd`, `samp`, `var`,
// `textarea`, `title`, `math` and `svg`, and inside elements of the class
// that `TextOptions::skipClass` names. The output is the input with
// separators added, and nothing else: no entity, quote or space changes.
//
//     hyphenateHtml(Language::English_US, "<p>Typesetting <code>hyphenation</code></p>",
//                   {.separator = "-"});
//     // "<p>Type-set-ting <code>hyphenation</code></p>"
#pragma once

#include "Text/Sillabor/Export.hpp"

#include "Text/Sillabor/Hyphenator.hpp"
#include "Text/Sillabor/Language.hpp"
#include "Text/Sillabor/RunningText.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Text::Sillabor {

namespace detail {
struct HtmlAccess;
} // namespace detail

/// Copies an HTML or XHTML stream, fed in pieces of any size, and inserts the
/// separator at the breaks of the words of its text, as TextHyphenator does
/// for plain text (words that hold a soft hyphen, URLs and e-mail addresses
/// are left as they are).
///
/// The language of a piece of text is the one that the `lang` (or
/// `xml:lang`) attribute of the innermost element that has one names, as
/// `languageByName` reads it; where none does, the hyphenator given. A tag
/// that names a language this library has no patterns for ("ja", "zxx", "")
/// leaves its text unhyphenated. Character references are characters of the
/// word they stand in ("K&auml;sebrot" is one word, and no break falls inside
/// a reference); "&shy;", "&#173;" and "&#xAD;" are soft hyphens.
///
/// Memory does not grow with the input, whatever the length of a tag, a
/// comment or the nesting of elements (past a depth of 256, elements are
/// counted but not told apart). Its text is read as UTF-8; markup and the
/// content of the elements left alone are copied without being read.
class SILLABOR_API HtmlHyphenator : public HyphenatingStream {
public:
    /// Text in `language` wherever no `lang` attribute says otherwise.
    explicit HtmlHyphenator(Language language, TextOptions options = {});
    /// `hyphenator` and `letters` for text where no `lang` attribute says
    /// otherwise, and where one names `language` (if given).
    HtmlHyphenator(Hyphenator hyphenator, WordCharacters letters, std::optional<Language> language,
                   TextOptions options = {});
    /// `dictionary` for text where no `lang` attribute says otherwise and
    /// where one names `language`, which also tells the characters that
    /// make words and lowers them for the lookup. Breaks that replace text
    /// are not marked.
    HtmlHyphenator(Dictionary dictionary, Language language, TextOptions options = {});

private:
    friend struct detail::HtmlAccess;
    explicit HtmlHyphenator(std::unique_ptr<detail::StreamState> state) noexcept;
};

/// The whole of `html` through an HtmlHyphenator for `language`.
SILLABOR_API std::string hyphenateHtml(Language language, std::string_view html,
                                       const TextOptions& options = {});

} // namespace Text::Sillabor
