// Reading pattern text: a trie built line by line, sharing each line's
// prefix with the line before, and packed once lookups have paid for it.
// This file's external interface is parsePatterns and detail::PatternParser.
#include "Text/Sillabor/Pattern.hpp"

#include "detail/engine/PatternSyntax.hpp"
#include "detail/engine/PatternsRep.hpp"
#include "detail/support/Text.hpp"

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
    // The letters of the line before, and the nodes they lead to from the
    // root: only the first `known` letters, and `known` + 1 nodes, are
    // current. Both only grow, so that a line costs no allocation.
    std::vector<char32_t> previous;
    std::vector<std::uint32_t> path{0};
    std::size_t known = 0;

    // One pass over the line: its letters follow the path of the line before
    // while they agree with it, and the rest are new nodes, or nodes that an
    // earlier line made under the point where the two lines part.
    template <class Char>
    void add(std::basic_string_view<Char> line) {
        const Char* at = line.data();
        const Char* const end = at + line.size();
        std::size_t depth = 0; // letters so far
        for (; at != end; ++at) {
            const auto c = static_cast<char32_t>(*at);
            if (isDigit(c)) continue;
            if (depth == known || previous[depth] != c) break;
            ++depth;
        }
        if (at != end) {
            const std::size_t most = depth + static_cast<std::size_t>(end - at);
            if (previous.size() < most) {
                previous.resize(most);
                path.resize(most + 1);
            }
            bool fresh = false; // the node is new, so it has no children to search
            std::uint32_t node = path[depth];
            for (; at != end; ++at) {
                const auto c = static_cast<char32_t>(*at);
                if (isDigit(c)) continue;
                node = fresh ? builder.addChild(node, c) : builder.child(node, c, fresh);
                previous[depth] = c;
                path[++depth] = node;
            }
        }
        known = depth;
        if (!builder.hasScores(path[depth])) {
            scoreInto(line, scores);
            builder.setScores(path[depth], scores);
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
    return makeParsed(std::move(impl_->builder));
}

} // namespace detail

Patterns parsePatterns(std::u32string_view text) {
    detail::PatternParser parser(
        static_cast<std::size_t>(std::count(text.begin(), text.end(), U'\n')));
    detail::forEachLine(text, [&](std::u32string_view line) { parser.line(line); });
    return parser.finish();
}

} // namespace Text::Sillabor
