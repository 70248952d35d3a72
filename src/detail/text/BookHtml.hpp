// The HTML hyphenator as a book's chapters need it. This file's external
// interface is HtmlAccess.
#pragma once

#include "Text/Sillabor/Html.hpp"

namespace Text::Sillabor::detail {

struct HtmlAccess {
    /// An HtmlHyphenator for a content document of an EPUB: read as UTF-8
    /// from its first byte (so a soft hyphen is written as the character),
    /// and leaving abbreviations, sub- and superscripts, the labels of
    /// controls and the head alone as well.
    static HtmlHyphenator forBook(Language language, const TextOptions& options);
};

} // namespace Text::Sillabor::detail
