// Reading an EPUB's container document, package document and encryption
// document. This file's external interface is the functions of Package.hpp.
#include "detail/book/Package.hpp"

#include "detail/book/Xml.hpp"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace Text::Sillabor::detail {

namespace {

constexpr std::string_view space = " \t\r\n";

std::string_view trimmed(std::string_view s) {
    const std::size_t start = s.find_first_not_of(space);
    if (start == std::string_view::npos) return {};
    return s.substr(start, s.find_last_not_of(space) - start + 1);
}

bool hasToken(std::string_view list, std::string_view token) {
    while (!list.empty()) {
        const std::size_t start = list.find_first_not_of(space);
        if (start == std::string_view::npos) return false;
        list.remove_prefix(start);
        const std::size_t end = std::min(list.find_first_of(space), list.size());
        if (list.substr(0, end) == token) return true;
        list.remove_prefix(end);
    }
    return false;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string percentDecoded(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

} // namespace

std::string packagePath(std::string_view containerXml) {
    std::optional<std::string> first, package;
    scanXml(containerXml, [&](const XmlTag& t) {
        if (t.end || t.name != "rootfile") return;
        const std::string* path = t.attribute("full-path");
        if (!path) return;
        const std::string* type = t.attribute("media-type");
        if (!first) first = *path;
        if (!package && type && *type == "application/oebps-package+xml") package = *path;
    });
    return package ? *package : first.value_or("");
}

Package readPackage(std::string_view opf, std::string_view path) {
    struct Item {
        std::string href, type, properties;
    };
    std::map<std::string, Item, std::less<>> manifest;
    std::vector<std::string> spine;
    Package p;
    bool inLanguage = false, languageDone = false;
    std::string languageText;
    scanXml(
        opf,
        [&](const XmlTag& t) {
            if (t.name == "language") {
                if (!t.end && !t.selfClosing && !languageDone) inLanguage = true;
                if (t.end && inLanguage) {
                    inLanguage = false;
                    languageDone = true;
                    p.language = std::string(trimmed(languageText));
                }
                return;
            }
            if (t.end) return;
            if (t.name == "item") {
                const std::string* id = t.attribute("id");
                const std::string* href = t.attribute("href");
                if (!id || !href) return;
                const std::string* type = t.attribute("media-type");
                const std::string* properties = t.attribute("properties");
                manifest.emplace(*id,
                                 Item{*href, type ? *type : "", properties ? *properties : ""});
            } else if (t.name == "itemref") {
                if (const std::string* idref = t.attribute("idref")) spine.push_back(*idref);
            }
        },
        [&](std::string_view text) {
            if (inLanguage) languageText += text;
        });
    std::set<std::string, std::less<>> seen;
    for (const std::string& idref : spine) {
        const auto it = manifest.find(idref);
        if (it == manifest.end()) {
            p.unknownIdrefs.push_back(idref);
            continue;
        }
        const Item& item = it->second;
        if (item.type != "application/xhtml+xml" || hasToken(item.properties, "nav")) continue;
        std::string full = resolveHref(path, item.href);
        if (!full.empty() && seen.insert(full).second)
            p.contentDocuments.push_back(std::move(full));
    }
    return p;
}

std::vector<std::string> encryptionOtherThanFonts(std::string_view encryptionXml) {
    constexpr std::string_view fontObfuscation[] = {"http://www.idpf.org/2008/embedding",
                                                    "http://ns.adobe.com/pdf/enc#RC"};
    std::vector<std::string> others;
    scanXml(encryptionXml, [&](const XmlTag& t) {
        if (t.end || t.name != "EncryptionMethod") return;
        const std::string* algorithm = t.attribute("Algorithm");
        const std::string name = algorithm ? *algorithm : "(no algorithm named)";
        if (std::find(std::begin(fontObfuscation), std::end(fontObfuscation), name) ==
                std::end(fontObfuscation) &&
            std::find(others.begin(), others.end(), name) == others.end())
            others.push_back(name);
    });
    return others;
}

std::string resolveHref(std::string_view from, std::string_view href) {
    href = href.substr(0, std::min(href.find('#'), href.size()));
    const std::size_t colon = href.find(':');
    if (href.empty() || href.starts_with('/') ||
        (colon != std::string_view::npos && colon < href.find('/')))
        return {};
    std::vector<std::string> parts;
    const std::size_t slash = from.rfind('/');
    std::string joined =
        slash == std::string_view::npos ? std::string{} : std::string(from.substr(0, slash + 1));
    joined += percentDecoded(href);
    std::string_view rest = joined;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('/'), rest.size());
        const std::string_view part = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (parts.empty()) return {};
            parts.pop_back();
        } else {
            parts.emplace_back(part);
        }
    }
    std::string out;
    for (const std::string& part : parts) {
        if (!out.empty()) out += '/';
        out += part;
    }
    return out;
}

} // namespace Text::Sillabor::detail
