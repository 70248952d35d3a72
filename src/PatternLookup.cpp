// Scoring a word against a trie in general: on the node form of a trie that
// is still changing, or in one pass over the packed automaton. (Hyphenators
// take a faster path of their own that reads only the gaps they need.)
// This file's external interface is just lookupPattern.
#include "Text/Sillabor/Pattern.hpp"

#include "detail/engine/PatternsRep.hpp"
#include "detail/support/Text.hpp"

#include <algorithm>
#include <atomic>
#include <stdexcept>

namespace Text::Sillabor {

using detail::Cursor;
using detail::FlatTrie;
using detail::NodeRep;
using detail::PatternsAccess;
using detail::PatternsRep;
using detail::State;

namespace {

// A node of the trie parsing built, as lookupOnNodes reads it.
struct BuiltNode {
    const detail::TrieBuilder* nodes = nullptr;
    std::uint32_t node = 0;
    std::span<const Score> scores() const noexcept { return nodes->scores(node); }
    bool find(char32_t c, BuiltNode& out) const {
        const std::uint32_t child = nodes->find(node, c);
        if (child == 0) return false;
        out = {nodes, child};
        return true;
    }
};

// lookupPattern on the nodes of a trie, without packing it: from each
// position of the bracketed word, the path of its characters is followed
// down from the root, and the list of each node reached is placed at that
// position. `steps` counts the nodes tried. `Node` is a Cursor or a
// BuiltNode.
template <class Node>
Scores lookupOnNodes(std::u32string_view word, const Node& root, std::size_t& steps) {
    const std::size_t m = word.size() + 2;
    auto at = [&](std::size_t i) { return i == 0 || i == m - 1 ? U'.' : word[i - 1]; };
    // As in the packed lookup: a gap for each position of the bracketed
    // word, at least 0, and a tail past it that grows without holes.
    Scores raw(m, 0);
    Scores tail;
    auto place = [&](std::span<const Score> list, std::size_t from) {
        for (std::size_t k = 0; k < list.size(); ++k) {
            const std::size_t p = from + k;
            if (p < m)
                raw[p] = std::max(raw[p], list[k]);
            else if (p - m < tail.size())
                tail[p - m] = std::max(tail[p - m], list[k]);
            else
                tail.push_back(list[k]);
        }
    };
    for (std::size_t i = 0; i < m; ++i) {
        Node node = root;
        for (std::size_t j = i; j < m; ++j) {
            Node next;
            ++steps;
            if (!node.find(at(j), next)) break;
            node = next;
            place(node.scores(), i);
        }
    }
    const std::span<const Score> atRoot = root.scores();
    if (!atRoot.empty())
        for (std::size_t i = 0; i <= m; ++i)
            place(atRoot, i);
    raw.insert(raw.end(), tail.begin(), tail.end());
    return Scores(raw.begin() + 1, raw.end() - 1);
}

// The scores of a word on a packed trie: one walk of the automaton, with
// the scores that reach past the word gathered on the way.
Scores lookupOnPacked(std::u32string_view word, const FlatTrie& t) {
    const std::size_t m = word.size() + 2;
    std::vector<std::uint32_t> cls(m);
    cls[0] = cls[m - 1] = t.classOf(U'.');
    for (std::size_t i = 0; i < word.size(); ++i)
        cls[i + 1] = t.classOf(word[i]);

    // The raw list R has a gap for each position of the bracketed word, each
    // the maximum of 0 and every score placed there. Past the word (position
    // m on) there is no 0, and R reaches only as far as some score list does;
    // `tail` holds that part, R[m + k] in tail[k]. Every list that reaches
    // past the word covers the tail from its start, so the tail grows
    // without holes.
    Scores raw(m + 1, 0);
    Scores tail;
    auto placeTail = [&tail](std::span<const Score> list, std::size_t from) {
        for (std::size_t k = from; k < list.size(); ++k) {
            const std::size_t p = k - from;
            if (p < tail.size())
                tail[p] = std::max(tail[p], list[k]);
            else
                tail.push_back(list[k]);
        }
    };
    t.walk(cls.data(), m, [&](std::size_t j, State q) {
        // Positive scores inside the word, as the hyphenator reads them.
        if (q != FlatTrie::root) t.scoreGapsAt(j, q, m - 1, raw.data());
        // Scores that reach past the word: only near its end (for
        // well-formed patterns, only at the final "."), from any suffix whose
        // list is long enough, found through the failure links.
        const auto needed = static_cast<std::int64_t>(m - j);
        if (t.reach() < needed) return;
        for (State s = q; s != FlatTrie::root; s = t.fail(s)) {
            const std::span<const Score> list = t.scores(s);
            if (list.empty()) continue;
            const std::size_t d = t.depth(s);
            if (static_cast<std::int64_t>(list.size()) - static_cast<std::int64_t>(d) >= needed)
                placeTail(list, m - (j + 1 - d)); // the list starts at gap j + 1 - d
        }
    });
    raw.resize(m);

    // A pattern without letters scores the root: its list is placed at every
    // position, and once more just past the word.
    const std::span<const Score> atRoot = t.scores(FlatTrie::root);
    if (!atRoot.empty()) {
        for (std::size_t i = 0; i <= m; ++i) {
            for (std::size_t k = 0; k < atRoot.size() && i + k < m; ++k)
                raw[i + k] = std::max(raw[i + k], atRoot[k]);
            placeTail(atRoot, i < m ? m - i : 0);
        }
    }
    raw.insert(raw.end(), tail.begin(), tail.end());

    if (raw.empty())
        throw std::logic_error("lookupPattern.scores0: Impossible (" + detail::toUtf8(word) + ")");
    if (raw.size() == 1)
        throw std::logic_error("lookupPattern.scores1: Impossible (" + detail::toUtf8(word) + ")");
    return Scores(raw.begin() + 1, raw.end() - 1);
}

} // namespace

// Three ways to the same scores: on the nodes of a trie being built, on the
// nodes of a parsed trie that its lookups have not yet paid to pack, and on
// the packed automaton.
Scores lookupPattern(std::u32string_view word, const Patterns& trie) {
    const Patterns& value = detail::resolved(trie);
    if (const auto& rep = PatternsAccess::rep(value);
        rep && rep->kind() == PatternsRep::Kind::Node) {
        const auto& node = static_cast<const NodeRep&>(*rep);
        if (!node.packed.peek() && node.lookupWork.load(std::memory_order_relaxed) < node.nodes) {
            std::size_t steps = 0;
            Scores scores = lookupOnNodes(word, Cursor(value), steps);
            node.lookupWork.fetch_add(steps, std::memory_order_relaxed);
            return scores;
        }
    }
    if (const detail::ParsedRep* parsed = detail::unpaidParse(value)) {
        // Packing lets the nodes go; a lookup that finds them gone packs.
        if (const auto nodes = parsed->nodes()) {
            std::size_t steps = 0;
            Scores scores = lookupOnNodes(word, BuiltNode{nodes.get(), 0}, steps);
            parsed->paid(steps);
            return scores;
        }
    }
    return lookupOnPacked(word, detail::packedTrie(value));
}

} // namespace Text::Sillabor
