// What an EPUB says about itself: where its package document is, the
// language the package names, which content documents the spine reads in
// order, and whether anything in it is encrypted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Text::Sillabor::detail {

/// The full path, inside the container, of the package document that
/// META-INF/container.xml names first; empty if it names none.
std::string packagePath(std::string_view containerXml);

struct Package {
    std::string language; // the first dc:language, trimmed; may be empty
    /// The spine's XHTML content documents, as full paths inside the
    /// container, in spine order and each once; the navigation document
    /// and documents of other types (SVG) are not among them.
    std::vector<std::string> contentDocuments;
    /// Spine entries whose manifest item is missing: their idrefs.
    std::vector<std::string> unknownIdrefs;
};

/// The package document `opf`, found at `path` inside the container.
Package readPackage(std::string_view opf, std::string_view path);

/// The encryption algorithms that META-INF/encryption.xml uses other than
/// font obfuscation (IDPF's and Adobe's), each once.
std::vector<std::string> encryptionOtherThanFonts(std::string_view encryptionXml);

/// The path inside the container that `href`, written in the document at
/// `from`, refers to: percent-escapes decoded, the fragment dropped, "."
/// and ".." resolved. Empty for a reference that leaves the container
/// (absolute, with a scheme, or above its root).
std::string resolveHref(std::string_view from, std::string_view href);

} // namespace Text::Sillabor::detail
