// A scanner of XML tags for the documents that describe a book. This
// file's external interface is scanXml and decodeXmlText.
#include "detail/book/Xml.hpp"

#include "detail/support/Text.hpp"

#include <charconv>

namespace Text::Sillabor::detail {

namespace {

constexpr std::string_view space = " \t\r\n";

std::string_view localName(std::string_view name) {
    const std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// The tag whose text (between '<' and '>') is `inside`.
XmlTag parseTag(std::string_view inside) {
    XmlTag t;
    if (inside.starts_with('/')) {
        t.end = true;
        inside.remove_prefix(1);
    }
    if (inside.ends_with('/')) {
        t.selfClosing = true;
        inside.remove_suffix(1);
    }
    const std::size_t nameEnd = std::min(inside.find_first_of(space), inside.size());
    t.name = localName(inside.substr(0, nameEnd));
    inside.remove_prefix(nameEnd);
    while (true) {
        const std::size_t start = inside.find_first_not_of(space);
        if (start == std::string_view::npos) break;
        inside.remove_prefix(start);
        const std::size_t eq = inside.find('=');
        if (eq == std::string_view::npos) break;
        std::string_view name = inside.substr(0, eq);
        name = name.substr(0, std::min(name.find_first_of(space), name.size()));
        inside.remove_prefix(eq + 1);
        inside.remove_prefix(std::min(inside.find_first_not_of(space), inside.size()));
        if (inside.empty() || (inside[0] != '"' && inside[0] != '\'')) break;
        const std::size_t close = inside.find(inside[0], 1);
        if (close == std::string_view::npos) break;
        t.attributes.emplace_back(localName(name), decodeXmlText(inside.substr(1, close - 1)));
        inside.remove_prefix(close + 1);
    }
    return t;
}

} // namespace

const std::string* XmlTag::attribute(std::string_view local) const {
    for (const auto& [name, value] : attributes)
        if (name == local) return &value;
    return nullptr;
}

std::string decodeXmlText(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    while (!value.empty()) {
        const std::size_t amp = value.find('&');
        out.append(value.substr(0, amp));
        if (amp == std::string_view::npos) break;
        value.remove_prefix(amp);
        const std::size_t semi = value.find(';');
        const std::string_view ref =
            semi == std::string_view::npos ? std::string_view{} : value.substr(1, semi - 1);
        constexpr std::pair<std::string_view, char> named[] = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        bool done = false;
        for (const auto& [name, c] : named)
            if (ref == name) {
                out += c;
                done = true;
            }
        if (!done && ref.size() > 1 && ref[0] == '#') {
            const bool hex = ref[1] == 'x' || ref[1] == 'X';
            const std::string_view digits = ref.substr(hex ? 2 : 1);
            std::uint32_t c = 0;
            const auto [end, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), c, hex ? 16 : 10);
            if (ec == std::errc{} && end == digits.data() + digits.size() && !digits.empty() &&
                c <= 0x10FFFF) {
                appendUtf8(out, std::u32string(1, static_cast<char32_t>(c)));
                done = true;
            }
        }
        if (done) {
            value.remove_prefix(semi + 1);
        } else {
            out += '&';
            value.remove_prefix(1);
        }
    }
    return out;
}

void scanXml(std::string_view xml, const std::function<void(const XmlTag&)>& tag,
             const std::function<void(std::string_view)>& text) {
    std::size_t i = 0;
    while (i < xml.size()) {
        const std::size_t lt = xml.find('<', i);
        if (text && lt != i) text(decodeXmlText(xml.substr(i, lt - i)));
        if (lt == std::string_view::npos) return;
        const std::string_view rest = xml.substr(lt);
        std::string_view closer = ">";
        if (rest.starts_with("<!--"))
            closer = "-->";
        else if (rest.starts_with("<![CDATA["))
            closer = "]]>";
        else if (rest.starts_with("<?"))
            closer = "?>";
        std::size_t end = xml.find(closer, lt + 1);
        if (end == std::string_view::npos) return;
        if (rest.starts_with("<!DOCTYPE") && xml.find('[', lt) < end) // an internal subset
            end = xml.find("]>", lt) == std::string_view::npos ? xml.size() - 1
                                                               : xml.find("]>", lt) + 1;
        if (closer == ">" && !rest.starts_with("<!")) {
            // '>' may stand in an attribute's value: the tag ends at the
            // first '>' outside quotes.
            char quote = 0;
            for (end = lt + 1; end < xml.size(); ++end) {
                const char c = xml[end];
                if (quote) {
                    if (c == quote) quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    break;
                }
            }
            if (end == xml.size()) return;
            tag(parseTag(xml.substr(lt + 1, end - lt - 1)));
        } else if (rest.starts_with("<![CDATA[") && text) {
            text(xml.substr(lt + 9, end - lt - 9));
        }
        i = end + closer.size();
    }
}

} // namespace Text::Sillabor::detail
