// The trie as a value: construction, its fields, equality, the merge, and
// insertion, each sharing what it does not change. This file's external
// interface is Patterns' members, scorePattern, insertPattern, zipMax,
// unsnoc and the folds of Pattern.hpp.
#include "Text/Sillabor/Pattern.hpp"

#include "detail/engine/PatternSyntax.hpp"
#include "detail/engine/PatternsRep.hpp"
#include "detail/support/Combine.hpp"

#include <algorithm>
#include <stdexcept>

namespace Text::Sillabor {

using detail::childrenOf;
using detail::Cursor;
using detail::makeFlat;
using detail::makeNode;
using Children = detail::PatternChildren;

namespace {

// The chain of nodes that spells `letters` and ends in `scores`. Long chains
// are packed, which keeps a pattern of a million letters compact.
Patterns makeChain(std::u32string_view letters, Scores scores) {
    if (letters.size() > 32) {
        detail::TrieBuilder builder;
        builder.reserve(letters.size() + 1, 1);
        std::uint32_t node = 0;
        for (char32_t c : letters)
            node = builder.addChild(node, c);
        builder.setScores(node, scores);
        return makeFlat(std::move(builder).build());
    }
    Patterns chain = makeNode(std::move(scores), {});
    for (std::size_t i = letters.size(); i-- > 0;)
        chain = makeNode({}, Children{{letters[i], std::move(chain)}});
    return chain;
}

std::optional<Patterns> trivialMerge(const Cursor& a, const Cursor& b) {
    if (a.isEmpty()) return b.value();
    if (b.isEmpty() || a.sameAs(b)) return a.value();
    return std::nullopt;
}

} // namespace

Patterns::Patterns(Scores scores, std::map<char32_t, Patterns> children)
    : Patterns(makeNode(std::move(scores), Children(children.begin(), children.end()))) {}

Patterns Patterns::deferred(std::function<Patterns()> builder) {
    if (!builder) throw std::invalid_argument("Patterns::deferred: the builder is empty");
    return Patterns(std::make_shared<detail::DeferredRep>(std::move(builder)));
}

Scores Patterns::scores() const {
    std::span<const Score> s = Cursor(*this).scores();
    return Scores(s.begin(), s.end());
}

std::map<char32_t, Patterns> Patterns::children() const {
    const Cursor c(*this);
    std::map<char32_t, Patterns> out;
    for (std::size_t i = 0; i < c.childCount(); ++i)
        out.emplace_hint(out.end(), c.label(i), c.child(i).value());
    return out;
}

std::optional<Patterns> Patterns::child(char32_t c) const {
    Cursor found;
    if (!Cursor(*this).find(c, found)) return std::nullopt;
    return found.value();
}

bool operator==(const Patterns& a, const Patterns& b) {
    std::vector<std::pair<Cursor, Cursor>> stack{{Cursor(a), Cursor(b)}};
    while (!stack.empty()) {
        auto [x, y] = stack.back();
        stack.pop_back();
        if (x.sameAs(y)) continue;
        std::span<const Score> sx = x.scores(), sy = y.scores();
        if (!std::equal(sx.begin(), sx.end(), sy.begin(), sy.end())) return false;
        if (x.childCount() != y.childCount()) return false;
        for (std::size_t i = 0; i < x.childCount(); ++i) {
            if (x.label(i) != y.label(i)) return false;
            stack.emplace_back(x.child(i), y.child(i));
        }
    }
    return true;
}

Patterns operator|(const Patterns& a, const Patterns& b) {
    const Cursor ca(a), cb(b);
    if (auto t = trivialMerge(ca, cb)) return *t;

    // Depth first with an explicit stack: each frame merges the children of
    // two nodes; a pair of children that needs a real merge gets a frame of
    // its own, and its result is added to the parent frame when it is done.
    struct Frame {
        Cursor x, y;
        char32_t label;
        std::size_t i = 0, j = 0;
        Children out{};
    };
    std::vector<Frame> stack;
    stack.push_back(Frame{ca, cb, 0});
    for (;;) {
        Frame& f = stack.back();
        bool descended = false;
        while (f.i < f.x.childCount() || f.j < f.y.childCount()) {
            const bool takeX = f.j == f.y.childCount() ||
                               (f.i < f.x.childCount() && f.x.label(f.i) < f.y.label(f.j));
            const bool takeY = f.i == f.x.childCount() ||
                               (f.j < f.y.childCount() && f.y.label(f.j) < f.x.label(f.i));
            if (takeX) {
                f.out.emplace_back(f.x.label(f.i), f.x.child(f.i).value());
                ++f.i;
            } else if (takeY) {
                f.out.emplace_back(f.y.label(f.j), f.y.child(f.j).value());
                ++f.j;
            } else {
                const char32_t label = f.x.label(f.i);
                Cursor cx = f.x.child(f.i++), cy = f.y.child(f.j++);
                if (auto t = trivialMerge(cx, cy)) {
                    f.out.emplace_back(label, std::move(*t));
                } else {
                    stack.push_back(Frame{cx, cy, label}); // invalidates f
                    descended = true;
                    break;
                }
            }
        }
        if (descended) continue;
        Patterns node = makeNode(zipMax(f.x.scores(), f.y.scores()), std::move(f.out));
        const char32_t label = f.label;
        stack.pop_back();
        if (stack.empty()) return node;
        stack.back().out.emplace_back(label, std::move(node));
    }
}

// ---------------------------------------------------------------------------
// Operations

Scores scorePattern(std::u32string_view pattern) {
    Scores scores;
    detail::scoreInto(pattern, scores);
    return scores;
}

Patterns insertPattern(std::u32string_view pattern, const Patterns& trie) {
    std::u32string letters;
    detail::lettersInto(pattern, letters);
    Scores scores = scorePattern(pattern);

    // The nodes on the pattern's path that exist already.
    std::vector<Cursor> path{Cursor(trie)};
    while (path.size() <= letters.size()) {
        Cursor next;
        if (!path.back().find(letters[path.size() - 1], next)) break;
        path.push_back(next);
    }
    const std::size_t matched = path.size() - 1;

    // Rebuild that path bottom up; everything off the path is shared.
    Patterns node;
    if (matched == letters.size()) {
        node = makeNode(std::move(scores), childrenOf(path.back()));
    } else {
        const Cursor& last = path.back();
        Children kids = childrenOf(last);
        const char32_t label = letters[matched];
        auto at = std::lower_bound(kids.begin(), kids.end(), label,
                                   [](const auto& e, char32_t k) { return e.first < k; });
        kids.emplace(
            at, label,
            makeChain(std::u32string_view(letters).substr(matched + 1), std::move(scores)));
        std::span<const Score> s = last.scores();
        node = makeNode(Scores(s.begin(), s.end()), std::move(kids));
    }
    for (std::size_t k = matched; k-- > 0;) {
        Children kids = childrenOf(path[k]);
        auto at = std::lower_bound(kids.begin(), kids.end(), letters[k],
                                   [](const auto& e, char32_t c) { return e.first < c; });
        at->second = std::move(node);
        std::span<const Score> s = path[k].scores();
        node = makeNode(Scores(s.begin(), s.end()), std::move(kids));
    }
    return node;
}

Scores zipMax(std::span<const Score> a, std::span<const Score> b) {
    if (a.size() < b.size()) std::swap(a, b);
    Scores out(a.begin(), a.end());
    for (std::size_t i = 0; i < b.size(); ++i)
        out[i] = std::max(out[i], b[i]);
    return out;
}

Patterns sconcat(std::span<const Patterns> xs) {
    return detail::foldRight(xs, "sconcat");
}
Patterns mconcat(std::span<const Patterns> xs) {
    return detail::foldRightOrEmpty(xs);
}
Patterns stimes(std::ptrdiff_t n, const Patterns& trie) {
    return detail::repeat(n, trie);
}

} // namespace Text::Sillabor
