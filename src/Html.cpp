// HTML and XHTML, streamed: a tokenizer of HTML's states that copies markup
// byte for byte and hands text to the word stream, following lang
// attributes, skipped elements and the document's encoding. This file's
// external interface is HtmlHyphenator and hyphenateHtml.
#include "Text/Sillabor/Html.hpp"

#include "Text/Sillabor/Utf8.hpp"
#include "detail/data/LanguageFacts.hpp"
#include "detail/text/BookHtml.hpp"
#include "detail/text/StreamState.hpp"
#include "detail/text/WordStream.hpp"

#include <algorithm>
#include <array>
#include <vector>

namespace Text::Sillabor {

namespace detail {

namespace {

struct Entity {
    std::string_view name;
    char32_t c;
};

constexpr Entity entities[] = {
#include "detail/text/HtmlEntities.inc"
};

// The code point a named reference ("auml", without '&' and ';') stands
// for, or 0.
char32_t namedReference(std::string_view name) {
    const auto it =
        std::lower_bound(std::begin(entities), std::end(entities), name,
                         [](const Entity& e, std::string_view n) { return e.name < n; });
    return it != std::end(entities) && it->name == name ? it->c : 0;
}

// What an element's name says about how to read it.
enum ElementFlags : unsigned {
    Void = 1,       // never has content: not put on the stack
    RawText = 2,    // content is text up to its end tag, never markup
    Skip = 4,       // content is copied as it is
    Foreign = 8,    // SVG or MathML: "/>" closes any element
    ClosesP = 16,   // its start tag ends an open paragraph
    PlainText = 32, // everything after the start tag is text
};

struct ElementKind {
    std::string_view name;
    unsigned flags;
};

constexpr ElementKind elementKinds[] = {
    {"address", ClosesP},
    {"area", Void},
    {"article", ClosesP},
    {"aside", ClosesP},
    {"base", Void},
    {"blockquote", ClosesP},
    {"br", Void},
    {"center", ClosesP},
    {"code", Skip},
    {"col", Void},
    {"dd", ClosesP},
    {"details", ClosesP},
    {"dialog", ClosesP},
    {"dir", ClosesP},
    {"div", ClosesP},
    {"dl", ClosesP},
    {"dt", ClosesP},
    {"embed", Void},
    {"fieldset", ClosesP},
    {"figcaption", ClosesP},
    {"figure", ClosesP},
    {"footer", ClosesP},
    {"form", ClosesP},
    {"h1", ClosesP},
    {"h2", ClosesP},
    {"h3", ClosesP},
    {"h4", ClosesP},
    {"h5", ClosesP},
    {"h6", ClosesP},
    {"header", ClosesP},
    {"hgroup", ClosesP},
    {"hr", Void | ClosesP},
    {"iframe", RawText | Skip},
    {"img", Void},
    {"input", Void},
    {"kbd", Skip},
    {"keygen", Void},
    {"li", ClosesP},
    {"link", Void},
    {"listing", ClosesP | Skip},
    {"main", ClosesP},
    {"math", Skip | Foreign},
    {"menu", ClosesP},
    {"meta", Void},
    {"nav", ClosesP},
    {"noembed", RawText | Skip},
    {"noframes", RawText | Skip},
    {"noscript", RawText | Skip},
    {"ol", ClosesP},
    {"p", ClosesP},
    {"param", Void},
    {"plaintext", PlainText | Skip | ClosesP},
    {"pre", ClosesP | Skip},
    {"samp", Skip},
    {"script", RawText | Skip},
    {"section", ClosesP},
    {"source", Void},
    {"style", RawText | Skip},
    {"summary", ClosesP},
    {"svg", Skip | Foreign},
    {"table", ClosesP},
    {"textarea", RawText | Skip},
    {"title", RawText | Skip},
    {"track", Void},
    {"ul", ClosesP},
    {"var", Skip},
    {"wbr", Void},
    {"xmp", RawText | Skip | ClosesP},
};

// The table's entry for an element, or null for one it does not list.
const ElementKind* kindOf(std::string_view name) {
    const auto it =
        std::lower_bound(std::begin(elementKinds), std::end(elementKinds), name,
                         [](const ElementKind& e, std::string_view n) { return e.name < n; });
    return it != std::end(elementKinds) && it->name == name ? it : nullptr;
}

// What a book's chapters leave alone besides: abbreviations, sub- and
// superscripts (note marks, formulas), and the labels of controls.
constexpr std::string_view bookSkips[] = {"abbr",  "acronym", "button", "head", "input",
                                          "label", "option",  "sub",    "sup"};

// Start tags that end open elements of other names, as HTML's parser does,
// so that languages and skipped content end where a browser ends them: the
// names they close, and the names that stop the search.
struct ImpliedEnd {
    std::string_view opener;
    std::array<std::string_view, 3> closes;
    std::array<std::string_view, 4> stops;
};

constexpr ImpliedEnd impliedEnds[] = {
    {"li", {"li"}, {"ul", "ol", "menu"}},
    {"dt", {"dt", "dd"}, {"dl"}},
    {"dd", {"dt", "dd"}, {"dl"}},
    {"tr", {"tr"}, {"table", "tbody", "thead", "tfoot"}},
    {"td", {"td", "th"}, {"tr", "table"}},
    {"th", {"td", "th"}, {"tr", "table"}},
    {"tbody", {"tbody", "thead", "tfoot"}, {"table"}},
    {"thead", {"tbody", "thead", "tfoot"}, {"table"}},
    {"tfoot", {"tbody", "thead", "tfoot"}, {"table"}},
    {"option", {"option"}, {"select", "datalist", "optgroup"}},
};

// Where an open paragraph stops being one that a block start tag closes.
constexpr std::string_view paragraphScope[] = {"applet", "button", "caption", "html", "marquee",
                                               "object", "table",  "td",      "th",   "template"};

constexpr bool isSpace(char b) noexcept {
    return b == ' ' || b == '\t' || b == '\n' || b == '\f' || b == '\r';
}

constexpr bool isAsciiLetter(char b) noexcept {
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
}

constexpr char lower(char b) noexcept {
    return b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b;
}

// A short name read a byte at a time: names longer than fit are kept as
// "too long", which matches nothing.
template <std::size_t N>
class ShortName {
public:
    void clear() noexcept { size_ = 0; }
    void push(char b) noexcept {
        if (size_ < N) bytes_[size_] = lower(b);
        if (size_ <= N) ++size_;
    }
    std::string_view view() const noexcept {
        return size_ > N ? std::string_view("\x01") : std::string_view(bytes_.data(), size_);
    }

private:
    std::array<char, N> bytes_{};
    std::size_t size_ = 0;
};

// Whether an encoding declaration ("utf-8", "text/html; charset=UTF-8",
// "encoding='utf-8'") names UTF-8. Names are in lower case already.
bool declaresUtf8(std::string_view text) {
    std::size_t at = text.find("charset");
    if (at == std::string_view::npos) at = text.find("encoding");
    if (at != std::string_view::npos) {
        text.remove_prefix(text.find_first_of("=", at) == std::string_view::npos
                               ? text.size()
                               : text.find('=', at) + 1);
    }
    while (!text.empty() && (isSpace(text.front()) || text.front() == '"' || text.front() == '\''))
        text.remove_prefix(1);
    return text.starts_with("utf-8") || text.starts_with("utf8");
}

} // namespace

struct HtmlState final : StreamState {
    enum class State : std::uint8_t {
        Data,
        TagOpen,    // after '<'
        EndTagOpen, // after "</"
        TagName,
        BeforeAttributeName,
        AttributeName,
        AfterAttributeName,
        BeforeAttributeValue,
        AttributeValueDouble,
        AttributeValueSingle,
        AttributeValueUnquoted,
        SelfClosing,       // after '/' in a tag
        MarkupDeclaration, // after "<!"
        Comment,
        BogusComment, // doctype, "<!...>", "</ ...>"
        CData,
        ProcessingInstruction,
        RawText, // inside script, style, ...: up to "</name"
        PlainText,
        Reference, // after '&' in text
    };
    enum class Attribute : std::uint8_t { Other, Lang, XmlLang, Class, Charset, Content };

    struct Element {
        ShortName<15> name;
        const Speller* speller;
        bool skip;
        bool foreign;
    };

    HtmlState(Speller given, std::optional<Language> language, const TextOptions& options)
        : StreamState(options), given(std::move(given)), language(language),
          skipClass(options.skipClass), softHyphen(options.separator == "\u00ad") {
        stream.setSpeller(&this->given);
        // Until the document says it is UTF-8, a soft hyphen is written as a
        // reference, which means the same in any encoding a browser may
        // guess.
        if (softHyphen) stream.setSeparator("&#173;");
        stack.reserve(maxDepth);
    }

    // A book's chapter: UTF-8 from the start (EPUB's content documents are),
    // and bookSkips left alone.
    void readAsBook() {
        book = true;
        saidUtf8();
    }

    static constexpr std::size_t maxDepth = 256;
    static constexpr std::size_t longestReference = 40; // "&CounterClockwiseContourIntegral;"

    Speller given;
    std::optional<Language> language;
    std::string skipClass;
    std::array<std::unique_ptr<Speller>, languageCount> spellers; // by Language, made on first use
    std::vector<std::pair<std::string, const Speller*>> tags;     // lang values already looked up

    std::vector<Element> stack;
    bool book = false;
    std::size_t deeper = 0; // open elements past maxDepth
    State state = State::Data;
    bool xml = false;            // the document began with an XML declaration
    bool softHyphen;             // the separator is U+00AD
    bool seenElement = false;    // a start tag has been read
    std::size_t markMatched = 0; // bytes of a byte-order mark at the start, or more: none

    // The tag being read.
    bool endTag = false;
    bool selfClosing = false;
    ShortName<15> tagName;
    ShortName<15> attributeName;
    Attribute attribute = Attribute::Other;
    ShortName<35> langValue, xmlLangValue;
    ShortName<100> charsetValue; // of a charset attribute, or a content attribute
    bool hasLang = false, hasXmlLang = false;
    std::size_t classToken = 0; // bytes of the class name read so far
    bool classTokenMatches = true;
    bool classFound = false;

    // Declarations, comments, CDATA, processing instructions, raw text.
    std::string declaration; // what follows "<!", up to 7 bytes
    std::size_t dashes = 0;  // '-' (comment) or ']' (CDATA) just read
    bool bang = false;       // "--!" in a comment
    std::size_t commentBytes = 0;
    ShortName<100> piStart; // the first bytes of a processing instruction
    bool piQuestion = false;
    std::string_view rawName;   // the element whose end tag ends raw text
    std::size_t rawMatched = 0; // bytes of "</name" matched

    std::string reference; // "&..." being read

    void feed(std::string_view bytes, std::string& out) override;
    void finish(std::string& out) override;

    // A piece of input being read: the place in it, and where the markup
    // not yet written starts (written in one go when text starts or the
    // piece ends).
    struct Scan {
        std::string_view bytes;
        std::string& out;
        std::size_t n = bytes.size();
        std::size_t i = 0;
        std::size_t copy = 0;
    };
    void noticeByteOrderMark(std::string_view bytes);
    void toData(Scan& s, std::size_t next);
    void closeTag(Scan& s);
    void inData(Scan& s);
    void inReference(Scan& s);
    void inTagOpen(Scan& s);
    void inTagName(Scan& s);
    void inAttributeName(Scan& s);
    void inAttributeValue(Scan& s);
    void inComment(Scan& s);
    void inProcessingInstruction(Scan& s);
    void inRawText(Scan& s);

    // Text of `bytes`, from `from` to `to`, to the word stream.
    void text(std::string_view bytes, std::size_t from, std::size_t to, std::string& out) {
        if (to > from) stream.text(bytes.substr(from, to - from), consumed + from, out);
    }
    void startTag(bool end);
    void attributeByte(char b);
    void endAttribute();
    void emitTag();
    void openElement();
    void closeElement(std::string_view name);
    void popTo(std::size_t depth);
    void updateSpeller();
    void saidUtf8();
    const Speller* spellerFor(std::string_view tag);
    void endReference(std::string& out);
};

void HtmlState::startTag(bool end) {
    endTag = end;
    selfClosing = false;
    tagName.clear();
    attributeName.clear();
    attribute = Attribute::Other;
    langValue.clear();
    xmlLangValue.clear();
    charsetValue.clear();
    hasLang = hasXmlLang = false;
    classToken = 0;
    classTokenMatches = true;
    classFound = false;
}

void HtmlState::attributeByte(char b) {
    switch (attribute) {
    case Attribute::Lang:
        langValue.push(b);
        break;
    case Attribute::XmlLang:
        xmlLangValue.push(b);
        break;
    case Attribute::Charset:
    case Attribute::Content:
        charsetValue.push(b);
        break;
    case Attribute::Class:
        // Match each white-space-separated name against the skip class.
        if (isSpace(b)) {
            classFound |= classTokenMatches && classToken == skipClass.size() && classToken > 0;
            classToken = 0;
            classTokenMatches = true;
        } else {
            classTokenMatches &= classToken < skipClass.size() && skipClass[classToken] == b;
            ++classToken;
        }
        break;
    case Attribute::Other:
        break;
    }
}

void HtmlState::endAttribute() {
    if (attribute == Attribute::Class)
        classFound |= classTokenMatches && classToken == skipClass.size() && classToken > 0;
    attribute = Attribute::Other;
    attributeName.clear();
}

void HtmlState::emitTag() {
    endAttribute();
    if (endTag) {
        closeElement(tagName.view());
    } else {
        openElement();
    }
    updateSpeller();
}

void HtmlState::popTo(std::size_t depth) {
    stack.resize(depth);
}

void HtmlState::openElement() {
    seenElement = true;
    const std::string_view name = tagName.view();
    if (name == "meta" && declaresUtf8(charsetValue.view())) saidUtf8();
    const ElementKind* kind = kindOf(name);
    const unsigned flags = kind ? kind->flags : 0;
    const bool inForeign = !stack.empty() && stack.back().foreign;

    // End the elements this start tag ends.
    if (!inForeign && deeper == 0) {
        for (const ImpliedEnd& rule : impliedEnds) {
            if (rule.opener != name) continue;
            for (std::size_t d = stack.size(); d-- > 0;) {
                const std::string_view open = stack[d].name.view();
                if (std::find(rule.stops.begin(), rule.stops.end(), open) != rule.stops.end())
                    break;
                if (std::find(rule.closes.begin(), rule.closes.end(), open) != rule.closes.end()) {
                    popTo(d);
                    break;
                }
            }
        }
        if (flags & ClosesP) {
            for (std::size_t d = stack.size(); d-- > 0;) {
                const std::string_view open = stack[d].name.view();
                if (std::find(std::begin(paragraphScope), std::end(paragraphScope), open) !=
                    std::end(paragraphScope))
                    break;
                if (open == "p") {
                    popTo(d);
                    break;
                }
            }
        }
    }

    const Element* parent = stack.empty() ? nullptr : &stack.back();
    Element e{};
    e.name = tagName;
    e.speller = hasXmlLang ? spellerFor(xmlLangValue.view())
                : hasLang  ? spellerFor(langValue.view())
                : parent   ? parent->speller
                           : &given;
    e.skip = (parent && parent->skip) || (flags & Skip) || classFound ||
             (book &&
              std::find(std::begin(bookSkips), std::end(bookSkips), name) != std::end(bookSkips));
    e.foreign = inForeign || (flags & Foreign);

    const bool closed = (flags & Void && !inForeign) || (selfClosing && (xml || e.foreign));
    if (closed) return;
    if (deeper > 0 || stack.size() == maxDepth) {
        ++deeper;
    } else {
        stack.push_back(e);
    }
    if (flags & PlainText && !e.foreign) {
        state = State::PlainText;
    } else if (flags & RawText && !e.foreign) {
        state = State::RawText;
        rawName = kind->name; // the table's own copy, which outlives this tag
        rawMatched = 0;
    }
}

void HtmlState::saidUtf8() {
    if (softHyphen) stream.setSeparator("\u00ad");
}

void HtmlState::closeElement(std::string_view name) {
    if (deeper > 0) {
        --deeper;
        return;
    }
    for (std::size_t d = stack.size(); d-- > 0;) {
        if (stack[d].name.view() == name) {
            popTo(d);
            return;
        }
    }
}

void HtmlState::updateSpeller() {
    const Element* top = stack.empty() ? nullptr : &stack.back();
    stream.setSpeller(!top ? &given : top->skip ? nullptr : top->speller);
}

const Speller* HtmlState::spellerFor(std::string_view tag) {
    // Trim ASCII white space, as attribute values may carry it.
    while (!tag.empty() && isSpace(tag.front()))
        tag.remove_prefix(1);
    while (!tag.empty() && isSpace(tag.back()))
        tag.remove_suffix(1);
    for (const auto& [seen, speller] : tags)
        if (seen == tag) return speller;

    const Speller* speller = nullptr;
    if (const std::optional<Language> l = tag.empty() ? std::nullopt : languageByName(tag)) {
        // The given hyphenator serves its own language, and a bare language
        // tag ("de") that the given variant ("de-1901") belongs to.
        const std::string_view affix = language ? languageAffix(*language) : std::string_view{};
        const std::string_view primary = affix.substr(0, affix.find('-'));
        const bool bare = tag.size() == primary.size() &&
                          std::equal(tag.begin(), tag.end(), primary.begin(),
                                     [](char a, char b) { return lower(a) == b; });
        if (language && (*l == *language || bare)) {
            speller = &given;
        } else {
            auto& slot = spellers[static_cast<std::size_t>(fromEnum(*l))];
            if (!slot)
                slot = std::make_unique<Speller>(
                    Speller{languageHyphenator(*l), WordCharacters::of(*l)});
            speller = slot.get();
        }
    }
    if (tags.size() < 64) tags.emplace_back(std::string(tag), speller);
    return speller;
}

void HtmlState::endReference(std::string& out) {
    // A complete reference ends in ';'; anything else is kept whole as a
    // character that is no letter, so that no break falls inside it.
    char32_t c = U'&';
    const std::string_view r = reference;
    if (r.size() > 2 && r.back() == ';') {
        const std::string_view body = r.substr(1, r.size() - 2);
        if (body[0] == '#') {
            const bool hex = body.size() > 1 && (body[1] == 'x' || body[1] == 'X');
            const std::string_view digits = body.substr(hex ? 2 : 1);
            std::uint32_t v = 0;
            bool ok = !digits.empty();
            for (char d : digits) {
                const int k = d >= '0' && d <= '9'          ? d - '0'
                              : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                              : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                            : -1;
                if (k < 0) ok = false;
                if (v <= 0x10FFFF)
                    v = v * (hex ? 16 : 10) + static_cast<std::uint32_t>(k < 0 ? 0 : k);
            }
            if (ok) c = v == 0 || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF) ? 0xFFFD : v;
        } else if (const char32_t named = namedReference(body)) {
            c = named;
        }
    }
    stream.character(c, reference, out);
    reference.clear();
}

void HtmlState::feed(std::string_view bytes, std::string& out) {
    noticeByteOrderMark(bytes);
    Scan s{bytes, out};
    while (s.i < s.n) {
        switch (state) {
        case State::Data:
            inData(s);
            break;
        case State::Reference:
            inReference(s);
            break;
        case State::TagOpen:
        case State::EndTagOpen:
            inTagOpen(s);
            break;
        case State::TagName:
        case State::SelfClosing:
            inTagName(s);
            break;
        case State::BeforeAttributeName:
        case State::AfterAttributeName:
        case State::AttributeName:
            inAttributeName(s);
            break;
        case State::BeforeAttributeValue:
        case State::AttributeValueDouble:
        case State::AttributeValueSingle:
        case State::AttributeValueUnquoted:
            inAttributeValue(s);
            break;
        case State::MarkupDeclaration:
        case State::Comment:
        case State::BogusComment:
        case State::CData:
            inComment(s);
            break;
        case State::ProcessingInstruction:
            inProcessingInstruction(s);
            break;
        case State::RawText:
            inRawText(s);
            break;
        case State::PlainText:
            s.i = s.n;
            break;
        }
    }
    // Markup read so far is written; text waits in the word stream.
    if (state != State::Data && state != State::Reference && state != State::TagOpen)
        out.append(bytes.substr(s.copy));
    consumed += s.n;
}

// A byte-order mark says UTF-8, whatever pieces it comes in.
void HtmlState::noticeByteOrderMark(std::string_view bytes) {
    static constexpr std::string_view mark = "\xef\xbb\xbf";
    for (std::size_t k = 0; markMatched < mark.size() && k < bytes.size(); ++k) {
        if (consumed + k != markMatched || bytes[k] != mark[markMatched]) {
            markMatched = mark.size() + 1; // not a mark: stop looking
        } else if (++markMatched == mark.size()) {
            saidUtf8();
        }
    }
}

// Markup ends before `next`: it is written, and text follows.
void HtmlState::toData(Scan& s, std::size_t next) {
    s.out.append(s.bytes.substr(s.copy, next - s.copy));
    s.copy = next;
    state = State::Data;
}

// The '>' at the scan's place ends a tag.
void HtmlState::closeTag(Scan& s) {
    toData(s, ++s.i);
    emitTag();
}

// Text up to the next markup or reference.
void HtmlState::inData(Scan& s) {
    std::size_t j = s.i;
    while (j < s.n && s.bytes[j] != '<' && s.bytes[j] != '&')
        ++j;
    text(s.bytes, s.i, j, s.out);
    if (j == s.n) {
        s.copy = s.i = s.n;
        return;
    }
    if (s.bytes[j] == '&') {
        reference.assign(1, '&');
        state = State::Reference;
    } else {
        state = State::TagOpen;
    }
    s.i = j + 1;
    s.copy = s.i;
}

// A character reference ("&amp;", "&#173;"), which is part of its word.
void HtmlState::inReference(Scan& s) {
    const char b = s.bytes[s.i];
    const bool nameByte =
        isAsciiLetter(b) || (b >= '0' && b <= '9') || (b == '#' && reference.size() == 1);
    if (nameByte && reference.size() < longestReference) {
        reference.push_back(b);
        ++s.i;
    } else {
        if (b == ';' && reference.size() > 1) {
            reference.push_back(b);
            ++s.i;
        }
        endReference(s.out);
        state = State::Data;
    }
    s.copy = s.i;
}

// After "<" and after "</".
void HtmlState::inTagOpen(Scan& s) {
    const char b = s.bytes[s.i];
    switch (state) {
    case State::TagOpen:
        if (isAsciiLetter(b) || b == '/' || b == '!' || b == '?') {
            // Markup: the text before it ends here.
            stream.boundary(s.out);
            s.out.push_back('<');
            s.copy = s.i;
            if (b == '/') {
                state = State::EndTagOpen;
            } else if (b == '!') {
                declaration.clear();
                state = State::MarkupDeclaration;
            } else if (b == '?') {
                piStart.clear();
                piQuestion = false;
                state = State::ProcessingInstruction;
            } else {
                startTag(false);
                tagName.push(b);
                state = State::TagName;
            }
            ++s.i;
        } else {
            // A '<' that starts nothing is text.
            stream.text("<", consumed + s.i - 1, s.out);
            state = State::Data;
            s.copy = s.i;
        }
        return;
    case State::EndTagOpen:
        if (isAsciiLetter(b)) {
            startTag(true);
            tagName.push(b);
            state = State::TagName;
        } else if (b == '>') {
            ++s.i;
            toData(s, s.i);
            return;
        } else {
            state = State::BogusComment;
        }
        ++s.i;
        return;
    default:
        return;
    }
}

// A tag's name, and the "/" before its ">".
void HtmlState::inTagName(Scan& s) {
    const char b = s.bytes[s.i];
    switch (state) {
    case State::TagName:
        if (isSpace(b)) {
            state = State::BeforeAttributeName;
        } else if (b == '/') {
            state = State::SelfClosing;
        } else if (b == '>') {
            closeTag(s);
            return;
        } else {
            tagName.push(b);
        }
        ++s.i;
        return;
    case State::SelfClosing:
        if (b == '>') {
            selfClosing = true;
            closeTag(s);
        } else {
            state = State::BeforeAttributeName;
        }
        return;
    default:
        return;
    }
}

// Between attributes, and an attribute's name.
void HtmlState::inAttributeName(Scan& s) {
    const char b = s.bytes[s.i];
    switch (state) {
    case State::BeforeAttributeName:
    case State::AfterAttributeName:
        if (isSpace(b)) {
            ++s.i;
        } else if (b == '/') {
            state = State::SelfClosing;
            ++s.i;
        } else if (b == '>') {
            closeTag(s);
        } else if (b == '=' && state == State::AfterAttributeName) {
            state = State::BeforeAttributeValue;
            ++s.i;
        } else {
            endAttribute();
            attributeName.push(b);
            state = State::AttributeName;
            ++s.i;
        }
        return;
    case State::AttributeName: {
        if (isSpace(b) || b == '/' || b == '>' || b == '=') {
            const std::string_view name = attributeName.view();
            attribute = name == "lang"       ? Attribute::Lang
                        : name == "xml:lang" ? Attribute::XmlLang
                        : name == "class"    ? Attribute::Class
                        : name == "charset"  ? Attribute::Charset
                        : name == "content"  ? Attribute::Content
                                             : Attribute::Other;
            hasLang |= attribute == Attribute::Lang;
            hasXmlLang |= attribute == Attribute::XmlLang;
            if (attribute == Attribute::Lang) langValue.clear();
            if (attribute == Attribute::XmlLang) xmlLangValue.clear();
            if (attribute == Attribute::Charset || attribute == Attribute::Content)
                charsetValue.clear();
            if (b == '=') {
                state = State::BeforeAttributeValue;
                ++s.i;
            } else {
                state = State::AfterAttributeName;
            }
        } else {
            attributeName.push(b);
            ++s.i;
        }
        return;
    }
    default:
        return;
    }
}

// An attribute's value, quoted or not: lang, xml:lang, class and charset
// are kept, the rest skipped.
void HtmlState::inAttributeValue(Scan& s) {
    const char b = s.bytes[s.i];
    switch (state) {
    case State::BeforeAttributeValue:
        if (isSpace(b)) {
            ++s.i;
        } else if (b == '"') {
            state = State::AttributeValueDouble;
            ++s.i;
        } else if (b == '\'') {
            state = State::AttributeValueSingle;
            ++s.i;
        } else if (b == '>') {
            closeTag(s);
        } else {
            state = State::AttributeValueUnquoted;
        }
        return;
    case State::AttributeValueDouble:
    case State::AttributeValueSingle: {
        const char quote = state == State::AttributeValueDouble ? '"' : '\'';
        std::size_t j = s.i;
        if (attribute == Attribute::Other) {
            while (j < s.n && s.bytes[j] != quote)
                ++j;
        } else {
            for (; j < s.n && s.bytes[j] != quote; ++j)
                attributeByte(s.bytes[j]);
        }
        if (j < s.n) {
            endAttribute();
            state = State::BeforeAttributeName;
            ++j;
        }
        s.i = j;
        return;
    }
    case State::AttributeValueUnquoted:
        if (isSpace(b)) {
            endAttribute();
            state = State::BeforeAttributeName;
            ++s.i;
        } else if (b == '>') {
            closeTag(s);
        } else {
            attributeByte(b);
            ++s.i;
        }
        return;
    default:
        return;
    }
}

// "<!": comments, CDATA sections and bogus comments.
void HtmlState::inComment(Scan& s) {
    const char b = s.bytes[s.i];
    switch (state) {
    case State::MarkupDeclaration: {
        declaration.push_back(b);
        ++s.i;
        static constexpr std::string_view cdata = "[CDATA[";
        if (declaration == "--") {
            state = State::Comment;
            dashes = 0;
            bang = false;
            commentBytes = 0;
        } else if (declaration == cdata) {
            state = State::CData;
            dashes = 0;
        } else if (!std::string_view("--").starts_with(declaration) &&
                   !cdata.starts_with(declaration)) {
            if (b == '>') {
                toData(s, s.i);
            } else {
                state = State::BogusComment;
            }
        }
        return;
    }
    case State::Comment:
        // Ends at "-->" or "--!>"; "<!-->" and "<!--->" are whole comments.
        if (b == '>' &&
            (dashes >= 2 || bang || commentBytes == 0 || (commentBytes == 1 && dashes == 1))) {
            ++s.i;
            toData(s, s.i);
            return;
        }
        if (b == '-') {
            dashes = bang ? 1 : dashes + 1;
            bang = false;
        } else if (b == '!' && dashes >= 2) {
            bang = true;
        } else {
            dashes = 0;
            bang = false;
        }
        if (commentBytes < 2) ++commentBytes;
        ++s.i;
        return;
    case State::BogusComment: {
        std::size_t j = s.i;
        while (j < s.n && s.bytes[j] != '>')
            ++j;
        s.i = j;
        if (j < s.n) {
            ++s.i;
            toData(s, s.i);
        }
        return;
    }
    case State::CData:
        if (b == '>' && dashes >= 2) {
            ++s.i;
            toData(s, s.i);
            return;
        }
        dashes = b == ']' ? dashes + 1 : 0;
        ++s.i;
        return;
    default:
        return;
    }
}

// "<?": ends at ">" in HTML, at "?>" in an XML document.
void HtmlState::inProcessingInstruction(Scan& s) {
    const char b = s.bytes[s.i];
    // Ends at '>' in HTML, at "?>" in an XML document.
    if (!seenElement) piStart.push(b);
    if (!seenElement && piStart.view() == "xml ") xml = true;
    if (b == '>' && (!xml || piQuestion)) {
        // An XML declaration says UTF-8 unless it names another
        // encoding.
        const std::string_view pi = piStart.view();
        if (!seenElement && pi.starts_with("xml ") &&
            (pi.find("encoding") == std::string_view::npos ||
             declaresUtf8(pi.substr(pi.find("encoding")))))
            saidUtf8();
        ++s.i;
        toData(s, s.i);
        return;
    }
    piQuestion = b == '?';
    ++s.i;
    return;
}

// The content of script, style and the like, up to its end tag.
void HtmlState::inRawText(Scan& s) {
    const char b = s.bytes[s.i];
    // Up to "</name" and a byte that ends a tag name.
    if (rawMatched == 2 + rawName.size()) {
        if (isSpace(b) || b == '/' || b == '>') {
            startTag(true);
            for (char c : rawName)
                tagName.push(c);
            state = State::TagName;
            rawMatched = 0;
            return;
        }
        rawMatched = 0;
    }
    const char want = rawMatched == 0 ? '<' : rawMatched == 1 ? '/' : rawName[rawMatched - 2];
    if (lower(b) == want)
        ++rawMatched;
    else
        rawMatched = b == '<' ? 1 : 0;
    ++s.i;
    return;
}

void HtmlState::finish(std::string& out) {
    if (state == State::Reference) endReference(out);
    if (state == State::TagOpen) stream.text("<", consumed - 1, out);
    state = State::Data;
    stream.boundary(out, "sequence cut short by the end of the text");
}

} // namespace detail

HtmlHyphenator::HtmlHyphenator(Language language, TextOptions options)
    : HtmlHyphenator(languageHyphenator(language), WordCharacters::of(language), language,
                     std::move(options)) {}

HtmlHyphenator::HtmlHyphenator(Hyphenator hyphenator, WordCharacters letters,
                               std::optional<Language> language, TextOptions options)
    : HyphenatingStream(std::make_unique<detail::HtmlState>(
          detail::Speller{std::move(hyphenator), std::move(letters)}, language, options)) {}

HtmlHyphenator::HtmlHyphenator(Dictionary dictionary, Language language, TextOptions options)
    : HyphenatingStream(std::make_unique<detail::HtmlState>(
          detail::Speller{languageHyphenator(language), WordCharacters::of(language),
                          std::move(dictionary)},
          language, options)) {}

HtmlHyphenator::HtmlHyphenator(std::unique_ptr<detail::StreamState> state) noexcept
    : HyphenatingStream(std::move(state)) {}

HtmlHyphenator detail::HtmlAccess::forBook(Language language, const TextOptions& options) {
    auto state = std::make_unique<detail::HtmlState>(
        detail::Speller{languageHyphenator(language), WordCharacters::of(language)}, language,
        options);
    state->readAsBook();
    return HtmlHyphenator(std::move(state));
}

std::string hyphenateHtml(Language language, std::string_view html, const TextOptions& options) {
    HtmlHyphenator h(language, options);
    std::string out;
    out.reserve(html.size() + html.size() / 8);
    h.feed(html, out);
    h.finish(out);
    return out;
}

} // namespace Text::Sillabor
