// Just enough XML to read an EPUB's container, package and encryption
// documents: start and end tags with their attributes, and text, in
// document order. Comments, processing instructions, the doctype and CDATA
// sections are passed over. Not a validating parser: a book that is not
// well-formed is read as far as it makes sense, and what is missing is
// reported by the caller.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Text::Sillabor::detail {

struct XmlTag {
    std::string_view name; // the local name: "item" for "opf:item"
    std::vector<std::pair<std::string_view, std::string>> attributes; // local names, values decoded
    bool end = false;                                                 // "</name>"
    bool selfClosing = false;                                         // "<name/>"

    /// The value of the attribute whose local name is `local`, or null.
    const std::string* attribute(std::string_view local) const;
};

/// Calls `tag` for each tag of `xml` and `text` for the text between tags
/// (references decoded), in order.
void scanXml(std::string_view xml, const std::function<void(const XmlTag&)>& tag,
             const std::function<void(std::string_view)>& text = {});

/// `value` with the five predefined entities and character references
/// decoded; an unknown reference stays as it is.
std::string decodeXmlText(std::string_view value);

} // namespace Text::Sillabor::detail
