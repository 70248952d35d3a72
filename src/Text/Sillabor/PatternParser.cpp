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
    std::u32string previous;            // the letters of the line before
    std::vector<std::uint32_t> path{0}; // the nodes of `previous`, from the root

    // One pass over the line: its letters follow the path of the line before
    // while they agree with it, and the rest are new nodes, or nodes that an
    // earlier line made under the point where the two lines part.
    template <class Char>
    void add(std::basic_string_view<Char> line) {
        std::size_t depth = 0; // letters so far
        bool parted = false;
        bool fresh = false; // the node is new, so it has no children to search
        for (const Char ch : line) {
            const auto c = static_cast<char32_t>(ch);
            if (isDigit(c)) continue;
            if (!parted) {
                if (depth < previous.size() && previous[depth] == c) {
                    ++depth;
                    continue;
                }
                parted = true;
                previous.resize(depth);
                path.resize(depth + 1);
            }
            const std::uint32_t node =
                fresh ? builder.addChild(path.back(), c) : builder.child(path.back(), c, fresh);
            previous.push_back(c);
            path.push_back(node);
            ++depth;
        }
        if (!parted) {
            previous.resize(depth);
            path.resize(depth + 1);
        }
        if (!builder.hasScores(path.back())) {
            scoreInto(line, scores);
            builder.setScores(path.back(), scores);
        }
    }
};

PatternParser::PatternParser(std::size_t expectedLines) : impl_(std::make_unique<Impl>()) {
    impl_->builder.reserve(expectedLines * 2 + 1, expectedLines);
}
PatternParser::~PatternParser() = default;

void PatternParser::line(std::u32string_view line) {
    impl_->add(line);
}
void PatternParser::line(std::string_view asciiLine) {
    impl_->add(asciiLine);
}

Patterns PatternParser::finish() {
    return makeFlat(std::move(impl_->builder).build());
}

} // namespace detail

Patterns parsePatterns(std::u32string_view text) {
    detail::PatternParser parser(
        static_cast<std::size_t>(std::count(text.begin(), text.end(), U'\n')));
    detail::forEachLine(text, [&](std::u32string_view line) { parser.line(line); });
    return parser.finish();
}

} // namespace Text::Sillabor
