// Reading pattern text: a trie built line by line straight into the packed
// form, sharing each line's prefix with the line before.
#include "Text/Sillabor/Pattern.hpp"

#include "Text/Sillabor/detail/PatternSyntax.hpp"
#include "Text/Sillabor/detail/PatternsRep.hpp"
#include "Text/Sillabor/detail/Text.hpp"

#include <algorithm>
#include <utility>

namespace Text::Sillabor {

namespace detail {

// Inserting the lines from the last to the first, each replacing the scores
// of the same letters, leaves the first line's scores: so the lines go in in
// text order, and a line whose letters have been seen keeps the earlier
// scores. A line shares the nodes of its common prefix with the line before,
// which in a sorted pattern file is most of it.
struct PatternParser::Impl {
    TrieBuilder builder;
    Scores scores;
    std::u32string letters, previous;
    std::vector<std::uint32_t> path{0}; // the nodes of `previous`, from the root

    template <class Char>
    void add(std::basic_string_view<Char> line) {
        lettersInto(line, letters);
        const std::size_t common = static_cast<std::size_t>(
            std::mismatch(letters.begin(), letters.end(), previous.begin(), previous.end()).first -
            letters.begin());
        path.resize(common + 1);
        for (std::size_t k = common; k < letters.size(); ++k)
            path.push_back(builder.child(path.back(), letters[k]));
        if (!builder.hasScores(path.back())) {
            scoreInto(line, scores);
            builder.setScores(path.back(), scores);
        }
        std::swap(letters, previous);
    }
};

PatternParser::PatternParser(std::size_t expectedLines) : impl_(std::make_unique<Impl>()) {
    impl_->builder.reserve(expectedLines * 2 + 1);
}
PatternParser::~PatternParser() = default;

void PatternParser::line(std::u32string_view line) {
    impl_->add(line);
}
void PatternParser::line(std::string_view asciiLine) {
    impl_->add(asciiLine);
}

Patterns PatternParser::finish() {
    return makeFlat(impl_->builder.build());
}

} // namespace detail

Patterns parsePatterns(std::u32string_view text) {
    detail::PatternParser parser(
        static_cast<std::size_t>(std::count(text.begin(), text.end(), U'\n')));
    detail::forEachLine(text, [&](std::u32string_view line) { parser.line(line); });
    return parser.finish();
}

} // namespace Text::Sillabor
