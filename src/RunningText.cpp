// Running text, streamed: the word characters of a language and the
// hyphenator that inserts separators into plain text through the word
// stream. This file's external interface is WordCharacters, TextHyphenator
// and hyphenateText.
#include "Text/Sillabor/RunningText.hpp"

#include "Text/Sillabor/Utf8.hpp"
#include "detail/data/EmbeddedFiles.hpp"
#include "detail/data/LanguageFacts.hpp"
#include "detail/data/Loader.hpp"
#include "detail/engine/CharacterFile.hpp"
#include "detail/support/Lazy.hpp"
#include "detail/support/Text.hpp"
#include "detail/text/StreamState.hpp"
#include "detail/text/WordStream.hpp"

#include <array>

namespace Text::Sillabor {

namespace detail {

const CodeClasses& classesOf(const WordCharacters& letters) noexcept {
    return *letters.classes_;
}

namespace {

// Plain text: every byte goes to the word stream.
struct TextState final : StreamState {
    TextState(Speller s, const TextOptions& options) : StreamState(options), speller(std::move(s)) {
        stream.setSpeller(&speller);
    }
    void feed(std::string_view bytes, std::string& out) override {
        const std::uint64_t at = consumed;
        consumed += bytes.size();
        stream.text(bytes, at, out);
    }
    void finish(std::string& out) override {
        stream.boundary(out, "sequence cut short by the end of the text");
    }
    Speller speller;
};

} // namespace

} // namespace detail

WordCharacters WordCharacters::of(Language language) {
    // Read once per language and process: the character file is decompressed
    // and decoded on the first call, and later calls share the classes.
    static std::array<detail::OnceCell<WordCharacters>, detail::languageCount> cache;
    return cache.at(static_cast<std::size_t>(fromEnum(language))).get([language] {
        const detail::CharacterFile file = detail::CharacterFile::parse(
            detail::readDataFile(detail::findEmbeddedFile, language, ".chr.txt.gz"));
        WordCharacters w;
        w.classes_ =
            std::make_shared<const detail::CodeClasses>(file.letters, file.smalls, file.capitals);
        return w;
    });
}

WordCharacters::WordCharacters(std::u32string_view letters)
    : classes_(std::make_shared<const detail::CodeClasses>(letters, std::u32string_view{},
                                                           std::u32string_view{})) {}

WordCharacters::WordCharacters(std::u32string_view letters, std::u32string_view capitals)
    : classes_(
          std::make_shared<const detail::CodeClasses>(std::u32string_view{}, letters, capitals)) {}

bool WordCharacters::contains(char32_t c) const noexcept {
    const detail::CharClass k = (*classes_)(c);
    return k >= detail::CharClass::Letter && k <= detail::CharClass::Capital;
}

bool WordCharacters::isCapital(char32_t c) const noexcept {
    return (*classes_)(c) == detail::CharClass::Capital;
}

HyphenatingStream::HyphenatingStream(std::unique_ptr<detail::StreamState> state) noexcept
    : state_(std::move(state)) {}
HyphenatingStream::HyphenatingStream(HyphenatingStream&&) noexcept = default;
HyphenatingStream& HyphenatingStream::operator=(HyphenatingStream&&) noexcept = default;
HyphenatingStream::~HyphenatingStream() = default;

void HyphenatingStream::feed(std::string_view bytes, std::string& out) {
    state_->feed(bytes, out);
}

void HyphenatingStream::finish(std::string& out) {
    state_->finish(out);
}

std::uint64_t HyphenatingStream::consumed() const noexcept {
    return state_->consumed;
}

Utf8Problems HyphenatingStream::invalidUtf8() const noexcept {
    return state_->stream.invalidUtf8();
}

TextHyphenator::TextHyphenator(Hyphenator hyphenator, WordCharacters letters, TextOptions options)
    : HyphenatingStream(std::make_unique<detail::TextState>(
          detail::Speller{std::move(hyphenator), std::move(letters)}, options)) {}

TextHyphenator::TextHyphenator(Hyphenator hyphenator, WordCharacters letters, std::string separator,
                               std::size_t longestWord)
    : TextHyphenator(std::move(hyphenator), std::move(letters),
                     TextOptions{.separator = std::move(separator), .longestWord = longestWord}) {}

TextHyphenator::TextHyphenator(Dictionary dictionary, Language language, TextOptions options)
    : HyphenatingStream(std::make_unique<detail::TextState>(
          detail::Speller{languageHyphenator(language), WordCharacters::of(language),
                          std::move(dictionary)},
          options)) {}

std::string hyphenateText(const Hyphenator& hyphenator, const WordCharacters& letters,
                          std::string_view text, const TextOptions& options) {
    TextHyphenator t(hyphenator, letters, options);
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    t.feed(text, out);
    t.finish(out);
    return out;
}

std::string hyphenateText(const Hyphenator& hyphenator, const WordCharacters& letters,
                          std::string_view text, std::string_view separator) {
    return hyphenateText(hyphenator, letters, text,
                         TextOptions{.separator = std::string(separator)});
}

} // namespace Text::Sillabor
