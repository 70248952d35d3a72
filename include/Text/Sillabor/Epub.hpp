// Hyphenating e-books: an EPUB (2 or 3) in, the same book out with soft
// hyphens (U+00AD) in the text of its chapters.
//
//     hyphenateEpub("book.epub", "hyphenated.epub");
//
// The content documents of the spine (XHTML) are hyphenated as
// HtmlHyphenator hyphenates XHTML; the language of their text is that of
// the innermost `xml:lang` or `lang` attribute, else the package's first
// `dc:language`, else `EpubOptions::language`. Besides what HtmlHyphenator
// leaves alone, `abbr`, `acronym`, `sub`, `sup`, `button`, `option`,
// `label`, `input` and `head` are left alone. The navigation document, the
// NCX, the package document, SVG, style sheets, fonts and everything else
// are not touched.
//
// The container stays as it was: its entries keep their names, order,
// timestamps and extra fields; an entry that does not change keeps its
// compressed data byte for byte (`mimetype` stays first and stored), and a
// changed one is deflated. A book whose chapters would not change (one
// hyphenated already) is written byte for byte as it was.
//
// Memory is bounded by the largest chapter, not by the book: one chapter at
// a time is held, and changed chapters wait in a temporary file beside the
// output until the book is written.
#pragma once

#include "Text/Sillabor/Export.hpp"
#include "Text/Sillabor/Language.hpp"
#include "Text/Sillabor/RunningText.hpp"

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>

namespace Text::Sillabor {

/// How a book is hyphenated. The separator of `text` is not used: a book's
/// separator is the soft hyphen, written as the character itself (XHTML
/// knows no "&shy;").
struct EpubOptions {
    /// Minimum length, capitals, the class of elements left alone, strict
    /// UTF-8, and whether soft hyphens are taken out instead of put in.
    TextOptions text;
    /// The language of text that neither a `lang` attribute nor the
    /// package's `dc:language` names in a language this library knows.
    Language language = Language::English_US;
};

/// What hyphenating a book did.
struct EpubReport {
    std::size_t documents = 0; // content documents of the spine, read
    std::size_t changed = 0;   // of them, those written anew
    /// The language the package's dc:language names, where this library
    /// knows it.
    std::optional<Language> packageLanguage;
};

/// A book that cannot be hyphenated: not an EPUB, damaged, encrypted, or
/// naming a chapter it does not hold. The message names the book and says
/// what is wrong.
class SILLABOR_API EpubError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Hyphenates the book at `in` and writes the result to `out`, which may be
/// `in` itself. The result goes to a temporary file in `out`'s folder that
/// is renamed to `out` at the end: on any failure (EpubError, or
/// std::system_error for a file that cannot be read or written) `out` is as
/// it was, and no temporary file is left. A new `out` gets the permissions
/// a new file gets; a replaced one keeps its own.
SILLABOR_API EpubReport hyphenateEpub(const std::filesystem::path& in,
                                      const std::filesystem::path& out,
                                      const EpubOptions& options = {});

/// The same for streams: `in` is read to its end (into a temporary file,
/// since a ZIP is read from its end), and the book is written to `out`.
SILLABOR_API EpubReport hyphenateEpub(std::istream& in, std::ostream& out,
                                      const EpubOptions& options = {});

} // namespace Text::Sillabor
