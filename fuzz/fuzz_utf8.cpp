// The UTF-8 interface on arbitrary bytes: pieces that concatenate to the
// input byte for byte, or InvalidUtf8, nothing else; and running text and
// HTML fed in pieces that come out as they went in, separators aside,
// whatever bytes they hold.
#include "FuzzInput.hpp"

#include "Text/Sillabor/Html.hpp"
#include "Text/Sillabor/Language.hpp"
#include "Text/Sillabor/RunningText.hpp"
#include "Text/Sillabor/Utf8.hpp"

using namespace Text::Sillabor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Hyphenator& h = size % 2 ? english_US.get() : german_1996.get();
    bool valid = true;
    try {
        const auto pieces = hyphenate(h, bytes);
        std::string joined;
        for (const auto& p : pieces)
            joined += p;
        if (joined != bytes) sillabor_fuzz::finding("pieces do not make the input");
    } catch (const InvalidUtf8& e) {
        valid = false;
        if (e.offset() >= size) sillabor_fuzz::finding("offset past the input");
    }
    bool decodes = true;
    try {
        (void)toUtf32(bytes);
    } catch (const InvalidUtf8&) {
        decodes = false;
    }
    if (valid != decodes) sillabor_fuzz::finding("hyphenate and toUtf32 disagree");

    // Running text, in pieces of sizes taken from the input itself: every
    // byte comes out as it went in, separators aside, and with strictUtf8 the
    // stream stops exactly where hyphenate does.
    static const WordCharacters letters = WordCharacters::of(Language::English_US);
    const bool marked = bytes.find('\x01') != std::string_view::npos;
    for (const bool strict : {false, true}) {
        TextHyphenator text(
            english_US, letters,
            TextOptions{.separator = "\x01", .longestWord = 64, .strictUtf8 = strict});
        std::string out;
        bool streamed = true;
        try {
            for (std::size_t at = 0, k = 0; at < size; ++k) {
                const std::size_t n = std::min<std::size_t>(1 + data[k % size] % 7, size - at);
                text.feed(bytes.substr(at, n), out);
                at += n;
            }
            text.finish(out);
        } catch (const InvalidUtf8&) {
            streamed = false;
        }
        if (streamed != (valid || !strict))
            sillabor_fuzz::finding("running text and hyphenate disagree");
        if (!strict && (text.invalidUtf8().count == 0) != valid)
            sillabor_fuzz::finding("running text counted what hyphenate did not find");
        if (streamed && !marked) {
            std::erase(out, '\x01');
            if (out != bytes) sillabor_fuzz::finding("running text changed the text");
        }
    }

    // HTML, in pieces of other sizes: every byte comes out as it went in.
    HtmlHyphenator html(english_US, letters, Language::English_US,
                        {.separator = "\x01", .longestWord = 64});
    std::string out;
    for (std::size_t at = 0, k = 0; at < size; ++k) {
        const std::size_t n = std::min<std::size_t>(1 + data[(k + 1) % size] % 13, size - at);
        html.feed(bytes.substr(at, n), out);
        at += n;
    }
    html.finish(out);
    if (!marked) {
        std::erase(out, '\x01');
        if (out != bytes) sillabor_fuzz::finding("HTML changed the document");
    }
    return 0;
}
